// ProvixaTerminal: asks a person at a terminal for a secret, as database shells do: the prompt
// on the terminal and the answer read from standard input with echo off, the terminal given
// back as it was on every way out (the answer, the end of input, a signal that ends or stops the
// process).
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
    // again. A Ctrl-C (SIGINT) at the prompt ends the process by the signal, or, with `interruptGivesUp` (a shell
    // that goes on), gives up the answer as a Ctrl-D does. A Ctrl-Z stops the process with the terminal as it was
    // before the prompt; continued, echo is off again. SIGTERM, SIGQUIT and SIGHUP end it with the terminal given
    // back.
    static bool AskHidden(const std::string& text, std::istream& in, std::ostream& prompt, std::string* answer,
                          bool interruptGivesUp);
};
