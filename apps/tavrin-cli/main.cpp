// tavrin-cli: the design workflow without windows, for scripts and batch work.
#include <CLI/CLI.hpp>

#include <iostream>

#include "Commands.h"

int main(int argc, char** argv) {
  CLI::App app{"Tavrin V3.0 - active analog filter design from the command line.\n"
               "Designs Butterworth, Chebyshev, Inverse Chebyshev, Elliptic and Bessel filters\n"
               "side by side and carries them through stages, circuits and component values.",
               "tavrin-cli"};
  app.set_version_flag("--version", std::string("tavrin-cli ") + TAVRIN_VERSION);
  app.footer("Exit status: 0 on success, 2 when the input is refused (the message is on standard error).");
  app.require_subcommand(0, 1);
  tavrin::cli::CommandAction action;
  tavrin::cli::RegisterCommands(app, action);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  if (action) return action();
  std::cout << app.help();
  return 0;
}
