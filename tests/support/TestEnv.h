#pragma once
// A program directory in a temporary folder, with the built templates, an
// optional settings file and a context to run the program's routines on.
#include "core/app/AppContext.h"
#include "support/ScriptedPrompter.h"

#include <filesystem>
#include <memory>
#include <string>

class TestEnv {
public:
    TestEnv();
    ~TestEnv();

    std::filesystem::path root;       // the temporary folder
    std::filesystem::path programDir; // root/program
    ScriptedPrompter prompter;
    std::unique_ptr<AppContext> app;

    std::string Ini() const { return app->state.IniPath(); }
    // A bare library made from the templates (no rows added) at root/name.
    std::string MakeBareLibrary(const std::string& name = "lib");
    // Configures the library in the settings file.
    void Configure(const std::string& libPath);
    // Makes it the active library without the settings file.
    void Activate(const std::string& libPath);
};

std::string ReadFile(const std::filesystem::path& file);
void WriteFile(const std::filesystem::path& file, const std::string& content);
