// SETUP.EXE's signature as the platform's trust provider judges it (WinVerifyTrust, generic verify,
// no UI), on the distribution's copy and on an installed UNINST.EXE, both the signed file.
// Wine 8's provider checks the signature and the image hash, but never judges the signer's chain
// (with SHA-256 certificates its final policy is skipped: an unknown root, an expired or a
// wrong-purpose certificate all pass), so the chain it built must also be free of errors.
#include "tests/e2e/e2e.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

// WinVerifyTrust's answer; *chain: the error status of the signer's chain it built (~0: none).
static LONG Verify(const std::string& path, DWORD* chain)
{
    std::wstring wide(path.begin(), path.end());
    WINTRUST_FILE_INFO file = {sizeof file, wide.c_str(), nullptr, nullptr};
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;  // the test root publishes no revocation list
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    LONG result = WinVerifyTrust(nullptr, &action, &data);
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    *chain = signer && signer->pChainContext ? signer->pChainContext->TrustStatus.dwErrorStatus : ~0u;
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(nullptr, &action, &data);
    return result;
}

TEST(Trust, InstalledCopiesOfTheSignedFileVerifyAndAChangedOneDoesNot)
{
    // The build's roots go to the machine's store, which takes them without asking (the user's asks).
    const std::string dist = e2e::Dist(), pem = e2e::Bytes(dist + "..\\signing\\root.pem");
    ASSERT_NE(pem.find("-----BEGIN CERTIFICATE"), std::string::npos);
    HCERTSTORE roots = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    for (size_t at = 0; (at = pem.find("-----BEGIN CERTIFICATE", at)) != std::string::npos; ++at) {
        BYTE der[16384];
        DWORD size = sizeof der;
        ASSERT_TRUE(CryptStringToBinaryA(&pem[at], 0, CRYPT_STRING_BASE64HEADER, der, &size, nullptr, nullptr));
        ASSERT_TRUE(CertAddEncodedCertificateToStore(roots, X509_ASN_ENCODING, der, size,
                                                     CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    }
    CertCloseStore(roots, 0);

    e2e::SetupRun install(dist + "SETUP.EXE", "SETUP.EXE /VERYSILENT /DIR=c:\\qvxtrust");
    ASSERT_EQ(install.Exit(), 0u);
    std::string built = e2e::Bytes(dist + "..\\bin\\SETUP.EXE");
    ASSERT_FALSE(built.empty());
    DWORD chain = ~0u;
    for (const std::string& path : {dist + "SETUP.EXE", std::string("c:\\qvxtrust\\UNINST.EXE")}) {
        EXPECT_TRUE(e2e::Bytes(path) == built) << path << " is not the signed file";
        EXPECT_EQ(Verify(path, &chain), ERROR_SUCCESS) << path;
        EXPECT_EQ(chain, 0u) << path;  // 0x10000, a partial chain, while the root is unknown
    }

    LONG headers = reinterpret_cast<IMAGE_DOS_HEADER*>(&built[0])->e_lfanew;
    const IMAGE_SECTION_HEADER* code = IMAGE_FIRST_SECTION(reinterpret_cast<IMAGE_NT_HEADERS*>(&built[headers]));
    built[code->PointerToRawData + code->SizeOfRawData / 2] ^= 1;
    std::ofstream("c:\\qvxtrust\\CHANGED.EXE", std::ios::binary) << built;
    EXPECT_EQ(Verify("c:\\qvxtrust\\CHANGED.EXE", &chain), TRUST_E_BAD_DIGEST);
}
