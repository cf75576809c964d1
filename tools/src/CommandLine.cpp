#include "CommandLine.h"

#include "Failure.h"

#include <CLI/CLI.hpp>
#include <fmt/format.h>

namespace zezo {
namespace {

// The raw text of the options, converted once CLI11 has accepted the command line.
struct TRawOptions {
    std::vector<std::string> Variables;
    std::vector<std::string> Constants;
    std::vector<std::string> Syntax;
    std::string Sweep;
};

void AddInputOptions(CLI::App& Command, TOptions& Options, TRawOptions& Raw) {
    Command
        .add_option("--var", Raw.Variables,
                    "Bind variable NAME to a cell holding RE (and IM); repeatable")
        ->type_name("NAME=RE[,IM]")
        ->allow_extra_args(false);
    Command.add_option("--const", Raw.Constants, "Add constant NAME = RE+IMj; repeatable")
        ->type_name("NAME=RE[,IM]")
        ->allow_extra_args(false);
    Command
        .add_option("--settings", Options.SettingsFile,
                    "Load the evaluator's properties from a form file (see 'zezo form')")
        ->type_name("FILE");
    Command.add_option("--seed", Options.Seed, "Seed the random generator, making Rand repeatable")
        ->type_name("N");
    Command
        .add_option("--max-runs", Options.MaxRuns,
                    "Most equation runs one computation may make (every call of an equation is a "
                    "run); default 100000000")
        ->type_name("N")
        ->check(CLI::PositiveNumber);
    Command.add_flag("--all", Options.All, "Add and check every line, even after a faulty one");
    Command.add_flag("--json", Options.Json, "Write one JSON object per input line (JSON Lines)");
    Command.add_option("file", Options.File, "Equation text, one equation per line; - for stdin")
        ->type_name("FILE|-");
}

void AddDigitsOption(CLI::App& Command, TOptions& Options) {
    Command.add_option("--digits", Options.Digits, "Significant digits of the values printed")
        ->type_name("N")
        ->check(CLI::Range(1, 21))
        ->default_val(15);
}

std::vector<TBinding> ToBindings(const std::vector<std::string>& Texts, std::string_view Option) {
    std::vector<TBinding> Bindings;
    for (const auto& Text : Texts)
        try {
            Bindings.push_back(ParseBinding(Text));
        } catch (const TFailure& Failure) {
            throw TFailure(ExitUsage, fmt::format("{}: {}", Option, Failure.what()));
        }
    return Bindings;
}

} // namespace

std::optional<TOptions> ParseCommandLine(int Argc, char** Argv) {
    TOptions Options;
    TRawOptions Raw;
    CLI::App App{"Checks and computes complex-valued equations, one equation per line.\n"
                 "Exit status: 0 ok, 1 compile error, 2 evaluation error, 64 bad usage, "
                 "66 unreadable input.",
                 "zezo"};
    App.require_subcommand(1);

    auto* Check = App.add_subcommand(
        "check", "Compile the equations; report the first faulty line (every one with --all)");
    AddInputOptions(*Check, Options, Raw);
    Check->add_flag("--verbose", Options.Verbose,
                    "Also tell of every equation whether its computations would run as native "
                    "code, and why not");

    auto* Eval = App.add_subcommand(
        "eval", "Compile, then print the value of every equation without parameters");
    AddInputOptions(*Eval, Options, Raw);
    AddDigitsOption(*Eval, Options);

    auto* Sweep = App.add_subcommand(
        "sweep", "Step a variable over a range and print the equations' values as CSV");
    Sweep->add_option("range", Raw.Sweep, "The variable to step and its range, TO included")
        ->type_name("NAME=FROM:TO:STEP")
        ->required();
    AddInputOptions(*Sweep, Options, Raw);
    AddDigitsOption(*Sweep, Options);

    auto* Form = App.add_subcommand(
        "form", "Print the JSON form of an evaluator, for --settings; only non-defaults appear");
    Form->add_option("--syntax", Raw.Syntax,
                     "Set a syntax character: DecimalPoint, Imaginary, OpenParentesis, "
                     "CloseParentesis, Separator, OpenComment or CloseComment; repeatable")
        ->type_name("NAME=CHAR")
        ->allow_extra_args(false);

    try {
        App.parse(Argc, Argv);
    } catch (const CLI::CallForHelp& Help) {
        App.exit(Help);
        return std::nullopt;
    } catch (const CLI::CallForAllHelp& Help) {
        App.exit(Help);
        return std::nullopt;
    } catch (const CLI::ParseError& Error) {
        throw TFailure(ExitUsage, fmt::format("{} (see zezo --help)", Error.what()));
    }

    Options.Variables = ToBindings(Raw.Variables, "--var");
    Options.Constants = ToBindings(Raw.Constants, "--const");
    if (Check->parsed()) Options.Command = TCommand::Check;
    if (Eval->parsed()) Options.Command = TCommand::Eval;
    if (Sweep->parsed()) {
        Options.Command = TCommand::Sweep;
        Options.Sweep = ParseSweepRange(Raw.Sweep);
    }
    if (Form->parsed()) {
        Options.Command = TCommand::Form;
        for (const auto& Text : Raw.Syntax) {
            auto [Name, Value] = ParseSetting(Text);
            Options.Syntax.emplace_back(std::move(Name), std::move(Value));
        }
    }
    return Options;
}

} // namespace zezo
