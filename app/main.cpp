#include "app/entrypoint.h"
#include "app/tapplication.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    return RunTrellion(app);
}
