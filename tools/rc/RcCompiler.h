// RcCompiler: a resource script turned into resources in the platform's binary layouts.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "RcLexer.h"
#include "platform/detail/DialogTemplate.h"

struct RcResource {
    unsigned type = 0;
    unsigned id = 0;
    unsigned language = 0;
    std::vector<unsigned char> data;
};

// Statements: #define NAME VALUE; LANGUAGE primary, sub; id ICON "file.ico"; STRINGTABLE BEGIN id,
// "text" ... END; id DIALOG/DIALOGEX x, y, cx, cy with STYLE, EXSTYLE, CAPTION, FONT size, "face"
// and controls (LTEXT, RTEXT, CTEXT, PUSHBUTTON, DEFPUSHBUTTON, GROUPBOX, CHECKBOX, AUTOCHECKBOX,
// EDITTEXT, CONTROL text, id, class, style, x, y, cx, cy[, exstyle]); id VERSIONINFO with FILEVERSION,
// PRODUCTVERSION, FILEFLAGSMASK, FILEFLAGS, FILEOS, FILETYPE, FILESUBTYPE and BLOCK/VALUE nodes.
// BEGIN/END or braces; numbers or names of the platform's constants joined with | or +, NOT to clear.
// Icons are read relative to the script's folder.
class RcCompiler {
public:
    explicit RcCompiler(std::string baseFolder) : m_base(std::move(baseFolder)) {}

    // False with "line N: ..." in *error.
    bool Compile(const std::string& script, std::string* error);
    const std::vector<RcResource>& Resources() const { return m_resources; }
    // The files the resources were read from (for the build's dependencies).
    const std::vector<std::string>& Inputs() const { return m_inputs; }

private:
    struct VersionNode;

    const RcToken& Peek() const { return m_tokens[m_pos]; }
    const RcToken& Next();
    bool IsWord(const char* word) const;
    bool IsPunct(char c) const;
    // The error at the next token, or at the given line.
    bool Fail(const std::string& message, int line = 0);
    bool Begin();
    bool AtEnd();
    bool Comma();
    bool Value(unsigned long* value, unsigned long base = 0);
    // A value after a comma when a comma follows; the value stays as it is otherwise.
    bool OptionalValue(unsigned long* value, unsigned long base = 0);
    // A control's position and size, each after a comma.
    bool Box(unsigned long (&box)[4]);
    bool Text(std::u16string* text);
    bool Statement();
    bool Define();
    bool Icon(unsigned id);
    bool StringTable();
    bool Dialog(unsigned id);
    bool Control(pelrudo::detail::DialogTemplate* dlg);
    bool Version(unsigned id);
    bool VersionBlock(VersionNode* parent);
    void Add(unsigned type, unsigned id, std::vector<unsigned char> data);

    std::string m_base;
    std::vector<RcToken> m_tokens;
    std::size_t m_pos = 0;
    std::string m_error;
    unsigned m_language = 2052;
    unsigned m_nextIconId = 1;
    std::map<std::string, unsigned long> m_symbols;
    std::map<unsigned, std::u16string> m_strings;  // the string tables, by id
    std::vector<RcResource> m_resources;
    std::vector<std::string> m_inputs;
};
