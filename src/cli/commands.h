#pragma once
// hengjian-cli: each group of subcommands lives in its own file and registers itself here, so
// adding a command never touches main.cpp.
#include <CLI/CLI.hpp>

#include <string>

namespace hj::cli {

struct Context {
    std::string dataDir;  // --data-dir or $HENGJIAN_HOME; empty: the folder beside the executable
    bool traditional = false;  // --traditional: all output in Traditional characters
    int exitCode = 0;
    std::string dataError;  // why the data folder could not be prepared (told already)
};

using CommandSetup = void (*)(CLI::App& app, Context& ctx);

// Registers a group of subcommands; `order` fixes their place in the help text.
struct CommandRegistrar {
    CommandRegistrar(int order, CommandSetup setup);
};

// Prints "hengjian-cli: <message>" to stderr and returns exit code 1.
int fail(const std::string& message);
// The data folder of the commands: --data-dir / $HENGJIAN_HOME, else the program folder.
std::string dataFolderOf(const Context& ctx);
// The folder of the executable ("." when unknown).
std::string programFolder();

}  // namespace hj::cli
