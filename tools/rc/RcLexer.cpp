// RcLexer: tokenizing a resource script.
#include "RcLexer.h"

#include <cctype>
#include <cstdlib>

namespace {

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '#' || c == '.'; }

}  // namespace

bool RcLexer::Tokenize(const std::string& text, std::vector<RcToken>* tokens, std::string* error)
{
    m_text = text;
    m_pos = 0;
    m_line = 1;
    m_lineStart = true;
    tokens->clear();
    while (true) {
        if (!Skip()) {
            *error = "unterminated comment";
            return false;
        }
        RcToken token;
        token.line = m_line;
        if (m_pos >= m_text.size()) {
            tokens->push_back(token);
            return true;
        }
        char c = m_text[m_pos];
        if (c == '"') {
            if (!ReadString(&token, error)) return false;
        } else if (std::isdigit(static_cast<unsigned char>(c)) || (c == '-' && m_pos + 1 < m_text.size() &&
                                                                    std::isdigit(static_cast<unsigned char>(m_text[m_pos + 1])))) {
            ReadNumber(&token);
        } else if (IsWordChar(c)) {
            ReadWord(&token);
        } else {
            token.kind = RcToken::Punct;
            token.text = std::string(1, c);
            ++m_pos;
        }
        tokens->push_back(token);
    }
}

// Blanks, comments and preprocessor lines; #define stays for the compiler.
bool RcLexer::Skip()
{
    while (m_pos < m_text.size()) {
        char c = m_text[m_pos];
        if (c == '\n') {
            ++m_line;
            ++m_pos;
            m_lineStart = true;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++m_pos;
        } else if (m_text.compare(m_pos, 2, "//") == 0) {
            m_pos = m_text.find('\n', m_pos);
            if (m_pos == std::string::npos) m_pos = m_text.size();
        } else if (m_text.compare(m_pos, 2, "/*") == 0) {
            std::size_t end = m_text.find("*/", m_pos + 2);
            if (end == std::string::npos) return false;
            for (std::size_t i = m_pos; i < end; ++i) m_line += m_text[i] == '\n';
            m_pos = end + 2;
        } else if (c == '#' && m_lineStart && m_text.compare(m_pos, 7, "#define") != 0) {
            m_pos = m_text.find('\n', m_pos);
            if (m_pos == std::string::npos) m_pos = m_text.size();
        } else {
            m_lineStart = false;
            return true;
        }
    }
    return true;
}

bool RcLexer::ReadString(RcToken* token, std::string* error)
{
    token->kind = RcToken::String;
    ++m_pos;
    while (m_pos < m_text.size()) {
        char c = m_text[m_pos++];
        if (c == '"') {
            if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                token->text += '"';
                ++m_pos;
                continue;
            }
            return true;
        }
        if (c == '\n') break;
        if (c == '\\' && m_pos < m_text.size()) {
            char e = m_text[m_pos++];
            token->text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
            continue;
        }
        token->text += c;
    }
    *error = "line " + std::to_string(token->line) + ": unterminated string";
    return false;
}

void RcLexer::ReadNumber(RcToken* token)
{
    token->kind = RcToken::Number;
    // The whole number is read; one beyond 64 bits reads as the largest, which the 32 bits kept make 0xFFFFFFFF.
    const char* start = m_text.c_str() + m_pos;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(start, &end, 0);
    token->value = static_cast<unsigned long>(value & 0xFFFFFFFFull);
    m_pos += static_cast<std::size_t>(end - start);
    while (m_pos < m_text.size() && (m_text[m_pos] == 'L' || m_text[m_pos] == 'l' || m_text[m_pos] == 'U' ||
                                     m_text[m_pos] == 'u'))
        ++m_pos;
}

void RcLexer::ReadWord(RcToken* token)
{
    token->kind = RcToken::Word;
    std::size_t start = m_pos;
    while (m_pos < m_text.size() && IsWordChar(m_text[m_pos])) ++m_pos;
    token->text = m_text.substr(start, m_pos - start);
}
