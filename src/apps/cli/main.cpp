// extrato: imports bank statement files, serves the statement service, sets up databases.
#include <iostream>

#include "apps/cli/commands.h"

int main(int argc, char** argv) {
  CLI::App app{"extrato: importação de extrato bancário (QAR62700)", "extrato"};
  app.require_subcommand(1);
  int status = cli::kExitSuccess;
  cli::AddImportCommand(app, status);
  cli::AddServeCommand(app, status);
  cli::AddDbCommands(app, status);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return cli::kExitUsage;
  }
  return status;
}
