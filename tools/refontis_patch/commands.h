// The subcommands of refontis-patch; each takes the arguments after its name.
#pragma once

namespace refontis::tools {

int InspectCommand(int argc, char** argv);
int ApplyCommand(int argc, char** argv);
int InfoCommand(int argc, char** argv);
int BuildCommand(int argc, char** argv);
int VerifyCommand(int argc, char** argv);

}  // namespace refontis::tools
