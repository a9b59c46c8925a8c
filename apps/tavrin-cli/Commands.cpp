#include "Commands.h"

namespace tavrin::cli {

// Subcommands add one registration call each.
void RegisterCommands(CLI::App& app, CommandAction& action) {
  (void)app;
  (void)action;
}

}  // namespace tavrin::cli
