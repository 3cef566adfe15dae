// torvsim: a simulated TORV sensor on a pseudo-terminal. See sim/README.md.

#include <CLI/CLI.hpp>

#include "sim/simulator.h"

int main(int argc, char** argv) {
    torv::sim::SimulatorOptions options;
    CLI::App app{"Simulated TORV sensor on a pseudo-terminal; prints the terminal's path first on stdout"};

    int rate = 0;
    std::string version;
    auto* baud = app.add_option("--baud", rate, "The sensor's starting rate (default 57600)");
    auto* versionChars = app.add_option("--version-chars", version,
                                        "The four characters of the software version (default 0105)");
    app.add_option("--seed", options.seed, "Seed for all generated data (default 1)");
    app.add_option("--state", options.statePath,
                   "State file: loaded at start if present, saved at U and at exit");
    app.add_option("--log", options.logPath, "Append one line per received frame to this file");
    app.add_option("--link", options.linkName, "Create the port link COMn in the ports folder");
    app.add_option("--fault", options.faults,
                   "N=KIND or N+=KIND; KIND: silence nak checksum truncate delay hangup garbage wrong-rate "
                   "endless slot-pointer-200 dict-length-65535 ng-count-255 trailer-count-255");
    app.add_option("--ng-every", options.ngEverySeconds,
                   "The line stores a new NG inspection every SECONDS (at least 0.1; default never)");
    app.add_option("--pace", options.pace,
                   "Milliseconds between judgements, MS or MIN-MAX (default 100-300; 0: one at every poll)");
    app.add_option("--mix", options.mix, "Weights of OK, NG and -- judgements, OK,NG,NONE (default 85,12,3)");
    std::string fade;
    auto* fadeText =
        app.add_option("--fade", fade,
                       "POSITION,JUDGEMENTS[,AFTER]: the print at character POSITION fades over "
                       "JUDGEMENTS judgements after AFTER (default 500), then every product is NG");
    std::string smudgeEvery;
    auto* smudgeText = app.add_option("--smudge-every", smudgeEvery,
                                      "Every N-th judgement is NG with one character smudged");
    app.add_option("--after-store", options.afterStore,
                   "ADDRESS=VALUE: after every store (U) the word holds this value, whatever was written");
    std::string recognized;
    auto* recognizedText =
        app.add_option("--recognized", recognized,
                       "The line reads TEXT on every product (default: a new text each product)");
    app.add_option("--read-every", options.readEverySeconds,
                   "The line reads a new product every SECONDS (at least 0.1; 0: never; default 1)");
    app.add_flag("--wire-time", options.wireTime, "Deliver replies no faster than the line rate allows");
    app.add_flag("--verbose", options.verbose, "Trace bytes and events on stderr");
    CLI11_PARSE(app, argc, argv);

    if (baud->count() > 0) {
        options.rate = rate;
    }
    if (versionChars->count() > 0) {
        options.version = version;
    }
    if (fadeText->count() > 0) {
        options.fade = fade;
    }
    if (smudgeText->count() > 0) {
        options.smudge = smudgeEvery;
    }
    if (recognizedText->count() > 0) {
        options.recognized = recognized;
    }
    return torv::sim::RunSimulator(options);
}
