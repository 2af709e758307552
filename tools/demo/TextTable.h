// TextTable: columns of UTF-8 text printed aligned on a terminal, wide (CJK) characters counted as two.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

class TextTable {
public:
    enum class Align { Left, Right };

    explicit TextTable(std::vector<std::string> headers, std::vector<Align> aligns = {});

    // Missing cells print empty; extra ones are dropped.
    void AddRow(std::vector<std::string> cells);
    void Print(FILE* out) const;

    // Terminal columns the text takes: two for East Asian wide characters, one for the rest.
    static std::size_t DisplayWidth(std::string_view utf8);

private:
    void PrintRow(FILE* out, const std::vector<std::string>& cells, const std::vector<std::size_t>& widths) const;

    std::vector<std::string> m_headers;
    std::vector<Align> m_aligns;
    std::vector<std::vector<std::string>> m_rows;
};
