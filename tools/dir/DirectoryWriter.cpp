// The directory layout: prolog 0x02A96, the field 0x7FF, the offset from that field's
// end to the last entry's name, then each entry as link, name count, name bytes, name
// count again (only for a non-empty name) and the object. The link leads back to the
// previous entry's name count; the offset leads forward to the last one.
#include "DirectoryWriter.h"

#include <vector>

namespace {

constexpr std::uint32_t kDirectoryProlog = 0x02A96;

} // namespace

CDirectoryWriter::CDirectoryWriter(CNibbleFile& file) : m_file(file)
{
    unsigned char header[] = {'H', 'P', 'H', 'P', '4', '8', '-', 'R'};
    m_file.Seek(0);
    m_file.WriteBytes(header, sizeof header);
    m_file.WriteNibbleWord(kDirectoryProlog, 5);
    m_file.WriteNibbleWord(0x7FF, 3);
    // The marker stays on the last-entry offset; entry positions are measured from it.
    m_file.SetMarker(0xFFFFFFFF);
    m_file.WriteNibbleWord(0, 5);
    m_nEnd = m_file.FilePos();
}

CDirectoryWriter::Placement CDirectoryWriter::AddEntry(const std::string& name,
                                                       unsigned char* pObject, std::uint32_t nSize)
{
    const auto nNameLength = static_cast<std::uint32_t>(name.size());
    const std::int32_t nOffset = m_file.GetMarkerOffset(m_nEnd + 5);
    if (m_nNextLink > kMaxField || static_cast<std::uint32_t>(nOffset) > kMaxField) {
        throw CDirectoryFullException();
    }

    // The link and the name go out in one write, the object in a second, rather than
    // field by field: each write reaches the file through a system call.
    std::vector<unsigned char> head((9 + 2 * nNameLength) / 2 + 1);
    std::uint32_t nHead = 0;
    auto put = [&](std::uint32_t nValue, std::uint32_t nWidth) {
        for (std::uint32_t i = 0; i < nWidth; ++i, ++nHead) {
            head[nHead / 2] |=
                static_cast<unsigned char>(((nValue >> (4 * i)) & 0xF) << (4 * (nHead & 1)));
        }
    };
    put(m_nNextLink, 5);
    put(nNameLength, 2);
    for (unsigned char c : name) {
        put(c, 2);
    }
    if (nNameLength > 0) {
        put(nNameLength, 2);
    }

    Placement placement{};
    placement.nameStart = m_nEnd + 5 - kObjectStart;
    placement.dataStart = m_nEnd + nHead - kObjectStart;
    m_file.Seek(m_nEnd);
    m_file.WriteNibbles(head.data(), nHead);
    m_file.WriteNibbles(pObject, nSize);
    m_nLastOffset = static_cast<std::uint32_t>(nOffset);

    m_nNextLink = 2 * nNameLength + 2 + nSize + (nNameLength > 0 ? 2 : 0);
    m_nEnd = m_file.FilePos();
    ++m_nEntries;
    return placement;
}

std::uint32_t CDirectoryWriter::Finish()
{
    m_file.SeekToMarker();
    m_file.WriteNibbleWord(m_nLastOffset, 5);
    return m_nLastOffset;
}
