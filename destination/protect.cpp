#include "destination/destination.h"

// SYSTEM and Administrators full control, Users read and execute, each inherited by files and
// subdirectories, and nothing inherited from above: below a drive's root a new directory would
// otherwise let every user change what an administrator later runs or removes.
bool BuildProtectedDescriptor(ProtectedDescriptor* out)
{
    static const WELL_KNOWN_SID_TYPE kWho[] = {WinLocalSystemSid, WinBuiltinAdministratorsSid, WinBuiltinUsersSid};
    static const DWORD kRights[] = {FILE_ALL_ACCESS, FILE_ALL_ACCESS, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE};
    ACL* acl = reinterpret_cast<ACL*>(out->acl);
    if (!InitializeAcl(acl, sizeof out->acl, ACL_REVISION))
        return false;
    for (int i = 0; i < 3; ++i) {
        DWORD size = sizeof out->sids[i];
        if (!CreateWellKnownSid(kWho[i], nullptr, out->sids[i], &size) ||
            !AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, kRights[i],
                                   out->sids[i]))
            return false;
    }
    return InitializeSecurityDescriptor(&out->descriptor, SECURITY_DESCRIPTOR_REVISION) &&
           SetSecurityDescriptorDacl(&out->descriptor, TRUE, acl, FALSE) &&
           SetSecurityDescriptorControl(&out->descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
}

bool CreateProtectedDirectory(const char* path)
{
    ProtectedDescriptor protection;
    if (!BuildProtectedDescriptor(&protection))
        return false;
    // Given at creation, so there is no moment in which the directory is open to everyone.
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &protection.descriptor, FALSE};
    return CreateDirectoryA(path, &attributes) != FALSE;
}
