// RcCompiler: parsing a resource script and building string tables, icon groups, dialogs and version info.
#include "RcCompiler.h"

#include <fstream>
#include <iterator>

#include "platform/ResourceApi.h"
#include "platform/Text.h"
#include "platform/WinUser.h"
#include "platform/detail/IconData.h"

namespace {

using Bytes = std::vector<unsigned char>;

#define RC_SYMBOL(name) {#name, static_cast<unsigned long>(name)}
const std::map<std::string, unsigned long>& PlatformSymbols()
{
    static const std::map<std::string, unsigned long> symbols = {
        RC_SYMBOL(IDOK), RC_SYMBOL(IDCANCEL), RC_SYMBOL(IDABORT), RC_SYMBOL(IDRETRY), RC_SYMBOL(IDIGNORE),
        RC_SYMBOL(IDYES), RC_SYMBOL(IDNO), {"IDC_STATIC", 0xFFFFFFFFul}, RC_SYMBOL(ID_HELP),
        RC_SYMBOL(WS_OVERLAPPED), RC_SYMBOL(WS_TABSTOP), RC_SYMBOL(WS_MAXIMIZEBOX), RC_SYMBOL(WS_GROUP),
        RC_SYMBOL(WS_MINIMIZEBOX), RC_SYMBOL(WS_THICKFRAME), RC_SYMBOL(WS_SYSMENU), RC_SYMBOL(WS_HSCROLL),
        RC_SYMBOL(WS_VSCROLL), RC_SYMBOL(WS_DLGFRAME), RC_SYMBOL(WS_BORDER), RC_SYMBOL(WS_CAPTION),
        RC_SYMBOL(WS_MAXIMIZE), RC_SYMBOL(WS_CLIPCHILDREN), RC_SYMBOL(WS_CLIPSIBLINGS), RC_SYMBOL(WS_DISABLED),
        RC_SYMBOL(WS_VISIBLE), RC_SYMBOL(WS_MINIMIZE), RC_SYMBOL(WS_CHILD), RC_SYMBOL(WS_POPUP),
        RC_SYMBOL(WS_EX_DLGMODALFRAME), RC_SYMBOL(WS_EX_TOPMOST), RC_SYMBOL(WS_EX_TOOLWINDOW),
        RC_SYMBOL(WS_EX_WINDOWEDGE), RC_SYMBOL(WS_EX_CLIENTEDGE), RC_SYMBOL(WS_EX_STATICEDGE),
        RC_SYMBOL(WS_EX_APPWINDOW), RC_SYMBOL(DS_ABSALIGN), RC_SYMBOL(DS_SYSMODAL), RC_SYMBOL(DS_LOCALEDIT),
        RC_SYMBOL(DS_SETFONT), RC_SYMBOL(DS_MODALFRAME), RC_SYMBOL(DS_NOIDLEMSG), RC_SYMBOL(DS_SETFOREGROUND),
        RC_SYMBOL(DS_3DLOOK), RC_SYMBOL(DS_FIXEDSYS), RC_SYMBOL(DS_CENTER), RC_SYMBOL(DS_CENTERMOUSE),
        RC_SYMBOL(DS_CONTEXTHELP), RC_SYMBOL(DS_SHELLFONT), RC_SYMBOL(SS_LEFT), RC_SYMBOL(SS_CENTER),
        RC_SYMBOL(SS_RIGHT), RC_SYMBOL(SS_ICON), RC_SYMBOL(SS_LEFTNOWORDWRAP), RC_SYMBOL(SS_NOPREFIX),
        RC_SYMBOL(SS_NOTIFY), RC_SYMBOL(SS_CENTERIMAGE), RC_SYMBOL(SS_SUNKEN), RC_SYMBOL(BS_PUSHBUTTON),
        RC_SYMBOL(BS_DEFPUSHBUTTON), RC_SYMBOL(BS_CHECKBOX), RC_SYMBOL(BS_AUTOCHECKBOX), RC_SYMBOL(BS_RADIOBUTTON),
        RC_SYMBOL(BS_3STATE), RC_SYMBOL(BS_AUTO3STATE), RC_SYMBOL(BS_GROUPBOX), RC_SYMBOL(BS_AUTORADIOBUTTON),
        RC_SYMBOL(ES_LEFT), RC_SYMBOL(ES_MULTILINE), RC_SYMBOL(ES_AUTOHSCROLL), RC_SYMBOL(ES_READONLY),
        RC_SYMBOL(LVS_ICON), RC_SYMBOL(LVS_REPORT), RC_SYMBOL(LVS_SMALLICON), RC_SYMBOL(LVS_LIST),
        RC_SYMBOL(LVS_SINGLESEL), RC_SYMBOL(LVS_SHOWSELALWAYS), RC_SYMBOL(LVS_SORTASCENDING),
        RC_SYMBOL(LVS_SORTDESCENDING), RC_SYMBOL(LVS_SHAREIMAGELISTS), RC_SYMBOL(LVS_NOLABELWRAP),
        RC_SYMBOL(LVS_AUTOARRANGE), RC_SYMBOL(LVS_EDITLABELS), RC_SYMBOL(LVS_NOSCROLL),
        RC_SYMBOL(LVS_NOCOLUMNHEADER), RC_SYMBOL(LVS_NOSORTHEADER), RC_SYMBOL(VS_FFI_FILEFLAGSMASK),
        RC_SYMBOL(VOS__WINDOWS32), RC_SYMBOL(VOS_NT_WINDOWS32), RC_SYMBOL(VFT_APP), RC_SYMBOL(VFT_DLL),
        {"VFT2_UNKNOWN", 0}, {"VS_FF_DEBUG", 1}, {"VOS_UNKNOWN", 0}, {"VFT_UNKNOWN", 0}, {"LANG_NEUTRAL", 0},
        {"SUBLANG_NEUTRAL", 0}, {"SUBLANG_DEFAULT", 1}, {"LANG_CHINESE", 4}, {"SUBLANG_CHINESE_SIMPLIFIED", 2},
        {"LANG_ENGLISH", 9}, {"SUBLANG_ENGLISH_US", 1}};
    return symbols;
}
#undef RC_SYMBOL

constexpr unsigned kStyleChildVisible = WS_CHILD | WS_VISIBLE;

void PutWord(Bytes* out, unsigned v)
{
    out->push_back(static_cast<unsigned char>(v & 0xFF));
    out->push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void PutDword(Bytes* out, unsigned long v)
{
    PutWord(out, static_cast<unsigned>(v & 0xFFFF));
    PutWord(out, static_cast<unsigned>((v >> 16) & 0xFFFF));
}

void Align4(Bytes* out)
{
    while (out->size() % 4) out->push_back(0);
}

// Kinds of the short control statements: class ordinal, implied style, whether text comes first.
struct ControlKind {
    const char* name;
    WORD classOrdinal;
    unsigned long style;
    bool hasText;
};

const ControlKind kControlKinds[] = {
    {"LTEXT", 0x82, kStyleChildVisible | WS_GROUP | SS_LEFT, true},
    {"RTEXT", 0x82, kStyleChildVisible | WS_GROUP | SS_RIGHT, true},
    {"CTEXT", 0x82, kStyleChildVisible | WS_GROUP | SS_CENTER, true},
    {"PUSHBUTTON", 0x80, kStyleChildVisible | WS_TABSTOP | BS_PUSHBUTTON, true},
    {"DEFPUSHBUTTON", 0x80, kStyleChildVisible | WS_TABSTOP | BS_DEFPUSHBUTTON, true},
    {"GROUPBOX", 0x80, kStyleChildVisible | BS_GROUPBOX, true},
    {"CHECKBOX", 0x80, kStyleChildVisible | WS_TABSTOP | BS_CHECKBOX, true},
    {"AUTOCHECKBOX", 0x80, kStyleChildVisible | WS_TABSTOP | BS_AUTOCHECKBOX, true},
    {"EDITTEXT", 0x81, kStyleChildVisible | WS_TABSTOP | WS_BORDER | ES_LEFT, false},
};

WORD ClassOrdinal(const std::string& name)
{
    static const std::map<std::string, WORD> ordinals = {
        {"BUTTON", 0x80}, {"EDIT", 0x81}, {"STATIC", 0x82}, {"LISTBOX", 0x83}, {"SCROLLBAR", 0x84}, {"COMBOBOX", 0x85}};
    std::string upper;
    for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto it = ordinals.find(upper);
    return it == ordinals.end() ? 0 : it->second;
}

}  // namespace

// A node of version information: a key, a text or binary value, and children.
struct RcCompiler::VersionNode {
    std::u16string key;
    bool text = false;
    Bytes value;
    unsigned valueLength = 0;  // characters with the terminator for text, bytes otherwise
    std::vector<VersionNode> children;

    Bytes Serialize() const
    {
        Bytes out(6, 0);
        for (char16_t c : key) PutWord(&out, c);
        PutWord(&out, 0);
        Align4(&out);
        out.insert(out.end(), value.begin(), value.end());
        for (const VersionNode& child : children) {
            Align4(&out);
            Bytes part = child.Serialize();
            out.insert(out.end(), part.begin(), part.end());
        }
        out[0] = static_cast<unsigned char>(out.size() & 0xFF);
        out[1] = static_cast<unsigned char>(out.size() >> 8);
        out[2] = static_cast<unsigned char>(valueLength & 0xFF);
        out[3] = static_cast<unsigned char>(valueLength >> 8);
        out[4] = text ? 1 : 0;
        return out;
    }
};

const RcToken& RcCompiler::Next() { return m_tokens[m_pos < m_tokens.size() - 1 ? m_pos++ : m_pos]; }

bool RcCompiler::IsWord(const char* word) const { return Peek().kind == RcToken::Word && Peek().text == word; }

bool RcCompiler::IsPunct(char c) const { return Peek().kind == RcToken::Punct && Peek().text[0] == c; }

bool RcCompiler::Fail(const std::string& message, int line)
{
    if (m_error.empty()) m_error = "line " + std::to_string(line ? line : Peek().line) + ": " + message;
    return false;
}

bool RcCompiler::Begin()
{
    if (IsWord("BEGIN") || IsPunct('{')) {
        Next();
        return true;
    }
    return Fail("expected BEGIN");
}

bool RcCompiler::AtEnd()
{
    if (!IsWord("END") && !IsPunct('}')) return false;
    Next();
    return true;
}

bool RcCompiler::Comma()
{
    if (IsPunct(',')) Next();
    return true;
}

// An expression: terms joined with | or +; NOT term clears its bits from what came before.
bool RcCompiler::Value(unsigned long* value, unsigned long base)
{
    unsigned long result = base;
    do {
        if (IsPunct('|') || IsPunct('+')) Next();
        bool clear = IsWord("NOT");
        if (clear) Next();
        unsigned long term = 0;
        if (Peek().kind == RcToken::Number) {
            term = Next().value;
        } else if (Peek().kind == RcToken::Word) {
            std::string name = Peek().text;
            auto user = m_symbols.find(name);
            auto platform = PlatformSymbols().find(name);
            if (user != m_symbols.end())
                term = user->second;
            else if (platform != PlatformSymbols().end())
                term = platform->second;
            else
                return Fail("unknown name " + name);
            Next();
        } else {
            return Fail("expected a number");
        }
        result = clear ? (result & ~term) : (result | term);
    } while (IsPunct('|') || IsPunct('+'));
    *value = result;
    return true;
}

bool RcCompiler::OptionalValue(unsigned long* value, unsigned long base)
{
    return !IsPunct(',') || (Comma() && Value(value, base));
}

bool RcCompiler::Box(unsigned long (&box)[4])
{
    for (unsigned long& v : box)
        if (!Comma() || !Value(&v)) return false;
    return true;
}

bool RcCompiler::Text(std::u16string* text)
{
    if (Peek().kind != RcToken::String) return Fail("expected a string");
    *text = Utf8ToUtf16(Next().text);
    return true;
}

void RcCompiler::Add(unsigned type, unsigned id, Bytes data)
{
    m_resources.push_back({type, id, m_language, std::move(data)});
}

bool RcCompiler::Compile(const std::string& script, std::string* error)
{
    RcLexer lexer;
    if (!lexer.Tokenize(script, &m_tokens, error)) return false;
    m_pos = 0;
    while (Peek().kind != RcToken::End) {
        if (!Statement()) {
            *error = m_error;
            return false;
        }
    }
    // String tables: blocks of 16 counted strings, block id (string id / 16) + 1.
    std::map<unsigned, std::vector<std::u16string>> blocks;
    for (const auto& [id, text] : m_strings) {
        auto& block = blocks[(id >> 4) + 1];
        block.resize(16);
        block[id & 15] = text;
    }
    for (const auto& [blockId, texts] : blocks) {
        Bytes data;
        for (const std::u16string& text : texts) {
            PutWord(&data, static_cast<unsigned>(text.size()));
            for (char16_t c : text) PutWord(&data, c);
        }
        Add(RT_STRING, blockId, std::move(data));
    }
    return true;
}

bool RcCompiler::Statement()
{
    if (IsWord("#define")) return Define();
    if (IsWord("LANGUAGE")) {
        Next();
        unsigned long primary = 0;
        unsigned long sub = 0;
        if (!Value(&primary) || !Comma() || !Value(&sub)) return false;
        m_language = static_cast<unsigned>((sub << 10) | primary);
        return true;
    }
    if (IsWord("STRINGTABLE")) return StringTable();
    unsigned long id = 0;
    if (!Value(&id)) return false;
    if (id == 0 || id > 0xFFFF) return Fail("resource ids are 1 to 65535");
    if (IsWord("ICON")) return Next(), Icon(static_cast<unsigned>(id));
    if (IsWord("DIALOG") || IsWord("DIALOGEX")) return Next(), Dialog(static_cast<unsigned>(id));
    if (IsWord("VERSIONINFO")) return Next(), Version(static_cast<unsigned>(id));
    return Fail("unknown resource type " + Peek().text);
}

bool RcCompiler::Define()
{
    Next();
    if (Peek().kind != RcToken::Word) return Fail("expected a name after #define");
    std::string name = Next().text;
    unsigned long value = 0;
    if (!Value(&value)) return false;
    m_symbols[name] = value;
    return true;
}

bool RcCompiler::Icon(unsigned id)
{
    if (Peek().kind != RcToken::String) return Fail("expected the icon's file name");
    int line = Peek().line;
    std::string file = Next().text;
    std::string path = !file.empty() && file[0] == '/' ? file : m_base + "/" + file;
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail("cannot read " + path, line);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<pelrudo::detail::IcoEntry> entries;
    if (!pelrudo::detail::ParseIcoFile(bytes.data(), bytes.size(), &entries)) return Fail("not a valid .ico file: " + path, line);
    m_inputs.push_back(path);
    // The group: GRPICONDIR, then per image its size, depth, byte count and the RT_ICON id.
    Bytes group;
    PutWord(&group, 0);
    PutWord(&group, 1);
    PutWord(&group, static_cast<unsigned>(entries.size()));
    for (const auto& entry : entries) {
        unsigned imageId = m_nextIconId++;
        group.push_back(static_cast<unsigned char>(entry.width >= 256 ? 0 : entry.width));
        group.push_back(static_cast<unsigned char>(entry.height >= 256 ? 0 : entry.height));
        group.push_back(static_cast<unsigned char>(entry.bitCount < 8 ? 1u << entry.bitCount : 0));
        group.push_back(0);
        PutWord(&group, 1);
        PutWord(&group, static_cast<unsigned>(entry.bitCount));
        PutDword(&group, entry.size);
        PutWord(&group, imageId);
        Add(RT_ICON, imageId, Bytes(entry.data, entry.data + entry.size));
    }
    Add(RT_GROUP_ICON, id, std::move(group));
    return true;
}

bool RcCompiler::StringTable()
{
    Next();
    while (Peek().kind == RcToken::Word && !IsWord("BEGIN")) Next();  // memory options
    if (!Begin()) return false;
    while (!AtEnd()) {
        unsigned long id = 0;
        std::u16string text;
        if (!Value(&id) || !Comma() || !Text(&text)) return false;
        if (id > 0xFFFF) return Fail("string ids are 0 to 65535");
        m_strings[static_cast<unsigned>(id)] = text;
    }
    return true;
}

bool RcCompiler::Dialog(unsigned id)
{
    pelrudo::detail::DialogTemplate dlg;
    unsigned long box[4] = {};
    for (int i = 0; i < 4; ++i)
        if (!Comma() || !Value(&box[i])) return false;
    dlg.x = static_cast<short>(box[0]);
    dlg.y = static_cast<short>(box[1]);
    dlg.cx = static_cast<short>(box[2]);
    dlg.cy = static_cast<short>(box[3]);
    unsigned long style = WS_POPUP | WS_BORDER | WS_SYSMENU;
    unsigned long exStyle = 0;
    bool hasCaption = false;
    bool hasFont = false;
    while (!IsWord("BEGIN") && !IsPunct('{')) {
        std::string option = Peek().text;
        Next();
        unsigned long number = 0;
        if (option == "STYLE") {
            if (!Value(&style)) return false;
        } else if (option == "EXSTYLE") {
            if (!Value(&exStyle)) return false;
        } else if (option == "CAPTION") {
            if (!Text(&dlg.caption)) return false;
            hasCaption = true;
        } else if (option == "FONT") {
            unsigned long weight = 0, italic = 0, charset = 0;
            if (!Value(&number) || !Comma() || !Text(&dlg.faceName)) return false;
            if (!OptionalValue(&weight)) return false;
            if (!OptionalValue(&italic)) return false;
            if (!OptionalValue(&charset)) return false;
            dlg.pointSize = static_cast<WORD>(number);
            dlg.weight = static_cast<WORD>(weight);
            dlg.italic = static_cast<BYTE>(italic);
            dlg.charset = static_cast<BYTE>(charset);
            hasFont = true;
        } else if (option == ",") {
            if (!Value(&number)) return false;  // help id
        } else {
            return Fail("unknown dialog option " + option);
        }
    }
    dlg.style = static_cast<DWORD>(style | (hasCaption ? WS_CAPTION : 0) | (hasFont ? DS_SETFONT : 0));
    dlg.exStyle = static_cast<DWORD>(exStyle);
    if (!Begin()) return false;
    while (!AtEnd())
        if (!Control(&dlg)) return false;
    Add(RT_DIALOG, id, pelrudo::detail::WriteDialogTemplate(dlg));
    return true;
}

bool RcCompiler::Control(pelrudo::detail::DialogTemplate* dlg)
{
    pelrudo::detail::DialogItem item;
    std::string kind = Peek().text;
    Next();
    unsigned long id = 0, style = 0, exStyle = 0;
    unsigned long box[4] = {};
    if (kind == "CONTROL") {
        std::u16string className;
        if (!Text(&item.text) || !Comma() || !Value(&id) || !Comma() || !Text(&className) || !Comma() ||
            !Value(&style, kStyleChildVisible))
            return false;
        item.classOrdinal = ClassOrdinal(Utf16ToUtf8(className));
        if (!item.classOrdinal) item.className = className;
        if (!Box(box)) return false;
        if (!OptionalValue(&exStyle)) return false;
    } else {
        const ControlKind* known = nullptr;
        for (const ControlKind& k : kControlKinds)
            if (kind == k.name) known = &k;
        if (!known) return Fail("unknown control " + kind);
        item.classOrdinal = known->classOrdinal;
        if (known->hasText && (!Text(&item.text) || !Comma())) return false;
        if (!Value(&id)) return false;
        if (!Box(box)) return false;
        style = known->style;
        if (!OptionalValue(&style, known->style)) return false;
        if (!OptionalValue(&exStyle)) return false;
    }
    item.id = static_cast<DWORD>(id);
    item.style = static_cast<DWORD>(style);
    item.exStyle = static_cast<DWORD>(exStyle);
    item.x = static_cast<short>(box[0]);
    item.y = static_cast<short>(box[1]);
    item.cx = static_cast<short>(box[2]);
    item.cy = static_cast<short>(box[3]);
    dlg->items.push_back(std::move(item));
    return true;
}

bool RcCompiler::Version(unsigned id)
{
    unsigned long fixed[13] = {VS_FFI_SIGNATURE, VS_FFI_STRUCVERSION};
    while (!IsWord("BEGIN") && !IsPunct('{')) {
        std::string option = Peek().text;
        Next();
        if (option == "FILEVERSION" || option == "PRODUCTVERSION") {
            unsigned long v[4] = {};
            for (int i = 0; i < 4; ++i)
                if ((i > 0 && !Comma()) || !Value(&v[i])) return false;
            int at = option == "FILEVERSION" ? 2 : 4;
            fixed[at] = ((v[0] & 0xFFFF) << 16) | (v[1] & 0xFFFF);
            fixed[at + 1] = ((v[2] & 0xFFFF) << 16) | (v[3] & 0xFFFF);
            continue;
        }
        static const char* const later[] = {"FILEFLAGSMASK", "FILEFLAGS", "FILEOS", "FILETYPE", "FILESUBTYPE"};
        int at = -1;
        for (int i = 0; i < 5; ++i)
            if (option == later[i]) at = 6 + i;
        if (at < 0) return Fail("unknown version option " + option);
        if (!Value(&fixed[at])) return false;
    }
    VersionNode root;
    root.key = u"VS_VERSION_INFO";
    for (unsigned long v : fixed) PutDword(&root.value, v);
    root.valueLength = static_cast<unsigned>(root.value.size());
    if (!Begin()) return false;
    while (!AtEnd())
        if (!VersionBlock(&root)) return false;
    Add(RT_VERSION, id, root.Serialize());
    return true;
}

// BLOCK "key" BEGIN ... END, or VALUE "key", "text" | VALUE "key", word, word ...
bool RcCompiler::VersionBlock(VersionNode* parent)
{
    VersionNode node;
    if (IsWord("BLOCK")) {
        Next();
        if (!Text(&node.key) || !Begin()) return false;
        while (!AtEnd())
            if (!VersionBlock(&node)) return false;
        node.text = true;
        parent->children.push_back(std::move(node));
        return true;
    }
    if (!IsWord("VALUE")) return Fail("expected BLOCK or VALUE");
    Next();
    if (!Text(&node.key)) return false;
    if (IsPunct(',')) Next();
    if (Peek().kind == RcToken::String) {
        std::u16string text;
        if (!Text(&text)) return false;
        for (char16_t c : text) PutWord(&node.value, c);
        PutWord(&node.value, 0);
        node.text = true;
        node.valueLength = static_cast<unsigned>(text.size() + 1);
    } else {
        do {
            unsigned long word = 0;
            if (IsPunct(',')) Next();
            if (!Value(&word)) return false;
            PutWord(&node.value, static_cast<unsigned>(word));
        } while (IsPunct(','));
        node.valueLength = static_cast<unsigned>(node.value.size());
    }
    parent->children.push_back(std::move(node));
    return true;
}
