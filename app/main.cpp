#include "app/entrypoint.h"
#include "app/tapplication.h"
#include "platform/allocatortuning.h"

int main(int argc, char** argv) {
    TuneAllocatorForBatches();
    TApplication app(argc, argv);
    return RunTrellion(app);
}
