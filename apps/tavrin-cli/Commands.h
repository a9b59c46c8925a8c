// Each subcommand of tavrin-cli lives in its own file and registers itself here.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>

namespace tavrin::cli {

// A subcommand's action returns the process exit status: 0 success, 2 refused input.
using CommandAction = std::function<int()>;

// Registers subcommands on the app; the chosen one's action is stored into `action`.
void RegisterCommands(CLI::App& app, CommandAction& action);

void RegisterCalculate(CLI::App& app, CommandAction& action);  // CmdCalculate.cpp
void RegisterOpen(CLI::App& app, CommandAction& action);       // CmdCalculate.cpp
void RegisterCircuit(CLI::App& app, CommandAction& action);    // CmdCircuit.cpp
void RegisterResponse(CLI::App& app, CommandAction& action);   // CmdResponse.cpp
void RegisterStages(CLI::App& app, CommandAction& action);     // CmdStages.cpp
void RegisterUser(CLI::App& app, CommandAction& action);       // CmdUser.cpp
void RegisterDesign(CLI::App& app, CommandAction& action);     // CmdDesign.cpp

}  // namespace tavrin::cli
