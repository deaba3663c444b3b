// The directory layout: prolog 0x02A96, the field 0x7FF, the offset from that field's
// end to the last entry's name, then each entry as link, name count, name bytes, name
// count again (only for a non-empty name) and the object. The link leads back to the
// previous entry's name count; the offset leads forward to the last one.
#include "DirectoryWriter.h"

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
    if (m_nNextLink > kMaxField || nOffset < 0 || static_cast<std::uint32_t>(nOffset) > kMaxField) {
        throw CDirectoryFullException();
    }

    m_file.Seek(m_nEnd);
    m_file.WriteNibbleWord(m_nNextLink, 5);
    m_nLastOffset = static_cast<std::uint32_t>(m_file.GetMarkerOffset(0xFFFFFFFF));

    Placement placement{};
    placement.nameStart = m_file.FilePos() - kObjectStart;
    m_file.WriteNibbleWord(nNameLength, 2);
    std::string bytes = name;
    m_file.WriteBytes(reinterpret_cast<unsigned char*>(bytes.data()), nNameLength);
    if (nNameLength > 0) {
        m_file.WriteNibbleWord(nNameLength, 2);
    }
    placement.dataStart = m_file.FilePos() - kObjectStart;
    m_file.WriteNibbles(pObject, nSize);

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
