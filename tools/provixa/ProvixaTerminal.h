// ProvixaTerminal: asks a person at a terminal for a secret, as database shells do: the prompt
// on the terminal and the answer read from standard input with echo off, echo restored on
// every path.
//
// Stateless; used on the host's one thread.
#pragma once

#include <istream>
#include <ostream>
#include <string>

class ProvixaTerminal
{
public:
    ProvixaTerminal() = delete;

    // True when standard input is a terminal (a person can be asked).
    static bool Interactive();
    // Shows the prompt on the terminal (on `prompt` when the process has none), reads one line
    // from `in` without echoing it (when `in` is the terminal) and ends the prompt's line. True with *answer (no line
    // end); false when the input ended first, after which a terminal's input (a Ctrl-D at the prompt) can be read
    // again.
    static bool AskHidden(const std::string& text, std::istream& in, std::ostream& prompt, std::string* answer);
};
