#include "app/entrypoint.h"
#include "app/openednames.h"
#include "app/tapplication.h"
#include "platform/allocatortuning.h"

int main(int argc, char** argv) {
    TuneAllocatorForBatches();
    TApplication app(argc, argv);
    // The arguments Qt leaves (it takes its own options out of argv), as the bytes given, made
    // absolute before the window changes the current directory.
    const std::vector<std::string> names = CommandLineNames(argc, argv);
    return RunTrellion(app, nullptr, QString(), names);
}
