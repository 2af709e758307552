// RegFileImport: applies a registration file (REGEDIT4 or version 5.00 text) to a store, all or nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegStore.h"

class RegFileImport {
public:
    explicit RegFileImport(RegStore& store) : m_store(store) {}

    // Applies the file in one transaction. On failure nothing of it is kept and Error() reads
    // "FILE:LINE: what went wrong" (no line when the file as a whole is at fault).
    bool ImportFile(const std::string& hostPath);
    // The same over the bytes of a file; name stands for the file in the message.
    bool Import(std::string_view bytes, const std::string& name);
    const std::string& Error() const { return m_error; }

private:
    bool Fail(const std::string& name, std::size_t line, const std::string& what);
    bool ApplyLines(const std::vector<std::u16string_view>& lines, const std::string& name);
    LONG ApplyKey(std::u16string_view line, std::string* why);
    LONG ApplyValue(std::u16string_view line, std::string* why);

    RegStore& m_store;
    std::string m_error;
    bool m_codePageText = false;  // REGEDIT4: hex text data in the code page
    std::optional<RegStore::KeyId> m_key;  // the key the value lines go to
};
