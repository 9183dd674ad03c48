#include "tools/app.h"
#include "tools/system.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args = vantrel::tool::CommandLineArguments(argc, argv);
  return vantrel::tool::Run(args);
}
