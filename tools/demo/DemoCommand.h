// DemoCommand: one command of pelrudo-demo, as main's table lists it.
#pragma once

#include <string>
#include <vector>

// A command gets the words after its name and returns the process's exit code.
struct DemoCommand {
    const char* name;
    const char* usage;  // the arguments, for the help text
    const char* summary;
    int (*run)(const std::vector<std::string>& args);
};

// The commands; each lives in its own source file.
int RunCatalogueCommand(const std::vector<std::string>& args);
int RunHandheldCommand(const std::vector<std::string>& args);
int RunSetupCommand(const std::vector<std::string>& args);
