// extrato: imports bank statement files, keeps the banks and accounts they go to,
// serves the statement service, sets up databases.
#include <cstring>
#include <iostream>

#include "apps/cli/command_output.h"
#include "apps/cli/commands.h"
#include "apps/cli/usage.h"

namespace {

// --json asks for an object even when the line cannot be read, so it is looked
// for before CLI11 reads anything.
bool AsksForJson(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0)
      return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"extrato: importação de extratos bancários (arquivos CNAB de 200 e 240 colunas).",
               "extrato"};
  cli::PresentInPortuguese(app);
  cli::RunContext context;
  context.json = AsksForJson(argc, argv);
  bool json_flag = false;
  app.add_flag("--json", json_flag,
               "Imprime o resultado como um objeto JSON (em qualquer comando)");
  app.fallthrough();
  app.require_subcommand(1);
  cli::AddImportCommand(app, context);
  cli::AddRegistryCommands(app, context);
  cli::AddHistoryCommands(app, context);
  cli::AddViewCommands(app, context);
  cli::AddServeCommand(app, context);
  cli::AddDbCommands(app, context);
  cli::AddUsersCommands(app, context);
  apps::NameGroupsInPortuguese(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    if (context.json) {
      cli::CommandEnd end;
      end.result = {{"version", cli::Version()}};
      return cli::Finish(end, true, std::cout, std::cerr);
    }
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    if (context.json) {
      return cli::Finish(cli::Failed(apps::UsageErrorText(app, e), cli::RunOutcome::kUsage), true,
                         std::cout, std::cerr);
    }
    app.exit(e);
    return cli::kExitUsage;
  }
  return context.status;
}
