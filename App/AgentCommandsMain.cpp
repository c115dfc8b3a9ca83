#include "App/AgentCommandsMain.h"

#include "App/CommandLineTool.h"

int quibRunAgentCommand(int argc, char **argv)
{
    return CommandLineTool::runInProcess(argc, argv);
}
