// qvx_szdd: compresses one file.
//   qvx_szdd INPUT OUTPUT [LASTCHAR]
// The header records LASTCHAR, by default the last character of INPUT's name, which the
// expansion services put back in place of the underscore of a name such as CARDSO.DL_.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/szdd.h"

int main(int argc, char** argv)
{
    if (argc != 3 && !(argc == 4 && std::string(argv[3]).size() == 1)) {
        std::fprintf(stderr, "usage: qvx_szdd INPUT OUTPUT [LASTCHAR]\n");
        return 2;
    }
    std::string input = argv[1];
    std::size_t slash = input.find_last_of("/\\");
    std::string name = slash == std::string::npos ? input : input.substr(slash + 1);
    char last = argc == 4 ? argv[3][0] : (name.empty() ? '\0' : name.back());

    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "qvx_szdd: cannot read %s\n", input.c_str());
        return 1;
    }
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    std::vector<unsigned char> packed;
    if (!CompressSzdd(data.data(), data.size(), last, &packed)) {
        std::fprintf(stderr, "qvx_szdd: %s is too large\n", input.c_str());
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(packed.data()), static_cast<std::streamsize>(packed.size()));
    out.close();
    if (out.fail()) {
        std::fprintf(stderr, "qvx_szdd: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%s: %zu -> %zu bytes\n", argv[2], data.size(), packed.size());
    return 0;
}
