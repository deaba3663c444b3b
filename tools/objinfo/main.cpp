// objinfo FILE...: for each download file, the object it holds with its size in nibbles and bytes
// and its CRC, the checksum that the calculator's BYTES command shows. Exit code 1 when a file
// cannot be read or holds no valid object.
#include "NibbleFile.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("objinfo FILE...: size and CRC of the object in each file\n");
        return 1;
    }
    int nCode = 0;
    for (int i = 1; i < argc; ++i) {
        try {
            CNibbleFile file(argv[i], CFile::modeRead);
            unsigned char header[6] = {};
            if (file.ReadAt(header, 6, 0) != 6 || std::memcmp(header, "HPHP48", 6) != 0) {
                std::printf("%s: not a download file (no HPHP48- header)\n", argv[i]);
                nCode = 1;
                continue;
            }
            const std::uint32_t nStart = 16;
            file.Seek(nStart);
            const int nSize = file.SkipOb();
            if (nSize <= 0 || std::uint64_t{nStart} + std::uint32_t(nSize) > 2 * file.GetLength()) {
                throw CNibbleFileException(CNibbleFileException::invalidObject);
            }
            file.Seek(nStart);
            const std::uint32_t nCrc = file.CRCOb();
            std::printf("%s: %d nibbles (%d%s bytes), CRC #%04Xh\n", argv[i], nSize, nSize / 2,
                        nSize % 2 ? ".5" : "", nCrc);
        } catch (const CException& e) {
            std::printf("%s: %s\n", argv[i], e.GetErrorMessage().c_str());
            nCode = 1;
        }
    }
    return nCode;
}
