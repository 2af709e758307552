// SetupIniFile: an Application Manager installation description (setup.ini) and the applications it names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class SetupIniFile {
public:
    // One application: its section name, description and CAB packages.
    struct Component {
        std::string name;
        std::string description;
        std::vector<std::string> cabFiles;
    };

    // Reads the file at a Windows path (or a host path); false when it cannot be read.
    bool Load(const std::string& windowsPath);
    // The text of a file: UTF-16 with its byte-order mark, UTF-8, else the system code page.
    void Parse(std::string_view bytes);

    // [CEAppManager] Version, empty when absent.
    const std::string& Version() const { return m_version; }
    // The components [CEAppManager] Component lists (comma-separated), in that order; a component
    // without a section of its own is listed with an empty description and no packages.
    const std::vector<Component>& Components() const { return m_components; }

private:
    std::string m_version;
    std::vector<Component> m_components;
};
