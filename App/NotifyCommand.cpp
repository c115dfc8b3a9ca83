#include "App/NotifyCommand.h"

#include "Alerts/AlertRequestNotification.h"
#include "Platform/Linux/DBusSessionBus.h"
#include "Platform/Linux/LinuxProcessTable.h"

#include <unistd.h>

#include <iostream>

namespace {

// Option words of `notify` and the request key each one fills.
const std::map<std::string, std::string> &valueOptions()
{
    static const std::map<std::string, std::string> options{
        {"--title", "title"}, {"-t", "title"},        {"--body", "body"},    {"--message", "body"}, {"-m", "body"},
        {"--symbol", "symbol"}, {"-s", "symbol"},     {"--color", "color"},  {"-c", "color"},       {"--app", "app"},
        {"-a", "app"},        {"--duration", "duration"}, {"-d", "duration"},
    };
    return options;
}

constexpr int maximumAncestors = 24;

std::string joined(const std::vector<std::string> &words)
{
    std::string text;
    for (const std::string &word : words) {
        if (&word != &words.front())
            text.push_back(' ');
        text.append(word);
    }
    return text;
}

} // namespace

bool NotifyCommand::isCommand(const std::vector<std::string> &arguments)
{
    if (arguments.empty())
        return false;
    const std::string &first = arguments.front();
    return !(first.starts_with("-psn") || first.starts_with("-NS") || first.starts_with("-Apple"));
}

NotifyCommand::Arguments NotifyCommand::parseArguments(const std::vector<std::string> &arguments)
{
    Arguments parsed;
    for (std::size_t i = 0; i < arguments.size();) {
        const std::string &word = arguments[i];
        if (const auto option = valueOptions().find(word); option != valueOptions().end()) {
            if (i + 1 >= arguments.size()) {
                // A missing value undoes an earlier occurrence.
                parsed.options.erase(option->second);
                break;
            }
            parsed.options.insert_or_assign(option->second, arguments[i + 1]);
            i += 2;
        } else if (word == "--silent") {
            parsed.options.insert_or_assign("sound", std::string("0"));
            ++i;
        } else {
            parsed.looseWords.push_back(word);
            ++i;
        }
    }
    if (!parsed.options.contains("body") && !parsed.looseWords.empty())
        parsed.options.emplace("body", joined(parsed.looseWords));
    return parsed;
}

std::string NotifyCommand::unknownWordMessage(const std::string &word)
{
    return "quib: comando desconhecido \"" + word + "\"\n\n" + std::string(usage) + '\n';
}

std::optional<std::string> NotifyCommand::callingApp(const ProcessTable &processes)
{
    long pid = getppid();
    for (int examined = 0; pid > 1;) {
        if (const auto application = processes.application(pid);
            application && application->isRegular && !application->identifier.empty() && application->identifier != ProcessTable::ownIdentifier)
            return application->identifier;
        const auto parent = processes.parent(pid);
        if (!parent || *parent == pid)
            break;
        if (++examined >= maximumAncestors)
            break;
        pid = *parent;
    }
    return std::nullopt;
}

int NotifyCommand::runInProcess(const std::vector<std::string> &arguments)
{
    DBusSessionBus bus;
    const LinuxProcessTable processes;
    const int status = NotifyCommand(bus, processes, std::cout, std::cerr).run(arguments);
    std::cout.flush();
    return status;
}

NotifyCommand::NotifyCommand(SessionBus &bus, const ProcessTable &processes, std::ostream &out, std::ostream &err)
    : m_bus(bus)
    , m_processes(processes)
    , m_out(out)
    , m_err(err)
{
}

int NotifyCommand::run(const std::vector<std::string> &arguments)
{
    const std::string word = arguments.empty() ? std::string() : arguments.front();
    if (word == "notify")
        return notify({arguments.begin() + 1, arguments.end()});
    if (word == "help" || word == "-h" || word == "--help") {
        m_out << usage << '\n';
        return 0;
    }
    m_err << unknownWordMessage(word);
    return 2;
}

int NotifyCommand::notify(const std::vector<std::string> &arguments)
{
    Arguments parsed = parseArguments(arguments);
    if (!parsed.options.contains("title") && !parsed.options.contains("body")) {
        m_err << usage << '\n';
        return 2;
    }
    if (!parsed.options.contains("app")) {
        if (const auto app = callingApp(m_processes))
            parsed.options.emplace("app", *app);
    }
    m_bus.post(AlertRequestNotification::name, std::string(), parsed.options);
    if (const auto owner = m_bus.ownerProcessId(ProcessTable::ownIdentifier); owner && *owner != getpid())
        return 0;
    m_err << "quib: o Quib não está aberto; o aviso não vai aparecer.\n";
    return 1;
}
