// TextTable: column widths from the display width of UTF-8 text, and the aligned printout.
#include "tools/demo/TextTable.h"

#include <algorithm>

namespace {

bool IsWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

TextTable::TextTable(std::vector<std::string> headers, std::vector<Align> aligns)
    : m_headers(std::move(headers)), m_aligns(std::move(aligns))
{
    m_aligns.resize(m_headers.size(), Align::Left);
}

void TextTable::AddRow(std::vector<std::string> cells)
{
    cells.resize(m_headers.size());
    m_rows.push_back(std::move(cells));
}

std::size_t TextTable::DisplayWidth(std::string_view utf8)
{
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        width += IsWide(c) ? 2 : 1;
        i += length;
    }
    return width;
}

void TextTable::Print(FILE* out) const
{
    std::vector<std::size_t> widths(m_headers.size());
    for (std::size_t col = 0; col < m_headers.size(); ++col) {
        widths[col] = DisplayWidth(m_headers[col]);
        for (const auto& row : m_rows)
            widths[col] = std::max(widths[col], DisplayWidth(row[col]));
    }
    PrintRow(out, m_headers, widths);
    std::vector<std::string> rules;
    for (std::size_t width : widths)
        rules.emplace_back(width, '-');
    PrintRow(out, rules, widths);
    for (const auto& row : m_rows)
        PrintRow(out, row, widths);
}

void TextTable::PrintRow(FILE* out, const std::vector<std::string>& cells, const std::vector<std::size_t>& widths) const
{
    std::string line;
    for (std::size_t col = 0; col < cells.size(); ++col) {
        const std::string padding(widths[col] - DisplayWidth(cells[col]), ' ');
        if (col > 0)
            line += "  ";
        line += m_aligns[col] == Align::Right ? padding + cells[col] : cells[col] + padding;
    }
    line.erase(line.find_last_not_of(' ') + 1);
    std::fprintf(out, "%s\n", line.c_str());
}
