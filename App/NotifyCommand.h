#pragma once

#include "Platform/SessionBus.h"

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class ProcessTable;

// `quib notify` and `quib help`: the command words that hand an alert request
// to the running app. Plain C++ over the session bus and the process table,
// so that a script's or a hook's call starts no Qt at all; the agent's
// commands (`CommandLineTool`) and the app are libraries loaded only for them.
class NotifyCommand {
public:
    static constexpr std::string_view usage = "Uso:\n"
                                              "  quib notify \"mensagem\"\n"
                                              "  quib notify --title \"Título\" --body \"Mensagem\" [opções]\n"
                                              "\n"
                                              "Opções:\n"
                                              "  --title T        título (padrão: nome do app que chamou)\n"
                                              "  --body B         mensagem (ou o texto solto)\n"
                                              "  --symbol S       SF Symbol no lugar do ícone do app (ex.: checkmark.circle.fill)\n"
                                              "  --color C        cor do símbolo: red, green, blue, orange, purple… ou #RRGGBB\n"
                                              "  --app BUNDLE_ID  app que o clique abre (padrão: o app que chamou, ex.: o Terminal)\n"
                                              "  --duration N     segundos na tela\n"
                                              "  --silent         sem som\n"
                                              "\n"
                                              "  quib claude-hook  usado pelos hooks do Claude Code (Ajustes › Avisos)\n"
                                              "  quib claude-statusline\n"
                                              "                    barra de status do Claude Code: passa os limites\n"
                                              "                    de 5 horas e da semana para o notch";

    // The words of `quib notify`: options by request key, and the loose words
    // in command-line order.
    struct Arguments {
        std::map<std::string, std::string> options;
        std::vector<std::string> looseWords;
    };

    // True when the arguments after the program path name a command (the
    // app starts without one, or with a desktop's launch arguments).
    static bool isCommand(const std::vector<std::string> &arguments);
    static Arguments parseArguments(const std::vector<std::string> &arguments);
    // What a word that names no command prints on standard error.
    static std::string unknownWordMessage(const std::string &word);
    // The nearest ancestor process of this one that is a regular application
    // other than Quib itself.
    static std::optional<std::string> callingApp(const ProcessTable &processes);

    // Runs the command on this process's session bus, /proc and standard
    // streams; returns the exit status.
    static int runInProcess(const std::vector<std::string> &arguments);

    NotifyCommand(SessionBus &bus, const ProcessTable &processes, std::ostream &out, std::ostream &err);

    // Dispatches `notify`, `help` and unknown words; returns the exit status.
    int run(const std::vector<std::string> &arguments);
    // `quib notify`: 0 posted to the running app, 1 posted but the app is not
    // running, 2 usage error.
    int notify(const std::vector<std::string> &arguments);

private:
    SessionBus &m_bus;
    const ProcessTable &m_processes;
    std::ostream &m_out;
    std::ostream &m_err;
};
