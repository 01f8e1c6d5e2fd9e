#include "tools/provixa/ProvixaBatch.h"

#include <algorithm>
#include <fstream>

#include "tools/provixa/ProvixaHost.h"

bool ProvixaBatch::SplitLine(const std::string& line, std::vector<std::string>* words, std::string* error)
{
    words->clear();
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < line.size(); ++i)
    {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r')
        {
            if (inWord)
                words->push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c != '"' && c != '\'')
        {
            word += c;
            continue;
        }
        const std::size_t start = i;
        for (++i; i < line.size() && line[i] != c; ++i)
        {
            if (c == '"' && line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\'))
                ++i;
            word += line[i];
        }
        if (i >= line.size())
        {
            *error = "unterminated quote at column " + std::to_string(start + 1);
            return false;
        }
    }
    if (inWord)
        words->push_back(std::move(word));
    return true;
}

bool ProvixaBatch::ReadCommands(std::istream& input, std::vector<Command>* commands, std::string* error)
{
    commands->clear();
    std::string line;
    std::size_t number = 0;
    while (std::getline(input, line))
    {
        ++number;
        if (line.size() > kMaxLineLength)
        {
            *error = "line " + std::to_string(number) + " is too long";
            return false;
        }
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#')
            continue;
        std::vector<std::string> words;
        std::string lineError;
        if (!SplitLine(line, &words, &lineError))
        {
            *error = "line " + std::to_string(number) + ": " + lineError;
            return false;
        }
        if (commands->size() >= kMaxLines)
        {
            *error = "more than " + std::to_string(kMaxLines) + " commands";
            return false;
        }
        commands->push_back(Command{number, std::move(words)});
    }
    return true;
}

int ProvixaBatch::Run(const ProvixaCommandLine& batch, std::istream& standardInput,
                      const std::function<int(const ProvixaCommandLine&)>& runOne, std::ostream& out, std::ostream& err)
{
    const std::string& source = batch.operands.at(0);
    std::vector<Command> commands;
    std::string error;
    bool read = false;
    if (source == "-")
    {
        read = ReadCommands(standardInput, &commands, &error);
    }
    else
    {
        std::ifstream file(source, std::ios::binary);
        // A file that cannot be opened is no fault of the command line.
        if (!file)
        {
            err << "provixa: cannot read " << source << "\n";
            return ProvixaHost::kRequestFailed;
        }
        read = ReadCommands(file, &commands, &error);
    }
    if (!read)
    {
        err << "provixa: " << error << "\n";
        return ProvixaHost::kUsageError;
    }
    int worst = ProvixaHost::kSuccess;
    for (const Command& command : commands)
    {
        ProvixaCommandLine one;
        int status = ProvixaHost::kSuccess;
        if (!ProvixaCommandLine::Parse(command.words, &one, &error))
        {
            err << "provixa: line " << command.line << ": " << error << "\n";
            status = ProvixaHost::kUsageError;
        }
        else if (one.command == ProvixaCommandLine::Command::Init || one.command == ProvixaCommandLine::Command::Batch)
        {
            err << "provixa: line " << command.line << ": init and batch cannot run inside a batch\n";
            status = ProvixaHost::kUsageError;
        }
        else if (one.command == ProvixaCommandLine::Command::Help)
        {
            out << ProvixaCommandLine::Usage();
        }
        else
        {
            if (one.callerName.empty() && one.callerSid.empty())
            {
                one.callerName = batch.callerName;
                one.callerSid = batch.callerSid;
            }
            one.json = one.json || batch.json;
            status = runOne(one);
        }
        // Each command's lines leave at once: a reader of a pipe sees them as they come, and a
        // batch that is interrupted has printed every line of the commands it finished.
        out.flush();
        worst = std::max(worst, status);
    }
    return worst;
}
