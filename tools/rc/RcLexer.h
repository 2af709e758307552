// RcLexer: the tokens of a resource script (UTF-8 text).
#pragma once

#include <string>
#include <vector>

struct RcToken {
    enum Kind { Word, Number, String, Punct, End } kind = End;
    std::string text;        // a word or punctuation as written; a string's content, unescaped
    unsigned long value = 0;  // a number's value
    int line = 0;
};

// Splits a script into words, numbers (decimal or 0x, with an optional L suffix), strings ("" or \"
// for a quote; \n \t \\ escapes) and the punctuation , | + { }. Skips // and /* */ comments and
// preprocessor lines other than #define, which become the words "#define" NAME VALUE.
class RcLexer {
public:
    // False with a message when the text has an unterminated string or comment.
    bool Tokenize(const std::string& text, std::vector<RcToken>* tokens, std::string* error);

private:
    bool Skip();
    bool ReadString(RcToken* token, std::string* error);
    void ReadNumber(RcToken* token);
    void ReadWord(RcToken* token);

    std::string m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
    bool m_lineStart = true;
};
