#include "Commands.h"

namespace tavrin::cli {

// Subcommands add one registration call each.
void RegisterCommands(CLI::App& app, CommandAction& action) {
  RegisterCalculate(app, action);
  RegisterOpen(app, action);
  RegisterCircuit(app, action);
  RegisterResponse(app, action);
  RegisterStages(app, action);
  RegisterUser(app, action);
  RegisterDesign(app, action);
}

}  // namespace tavrin::cli
