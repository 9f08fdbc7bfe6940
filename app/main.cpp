#include "app/MeterApp.h"

int main(int argc, char** argv)
{
    CMeterApp app(argc, argv);
    return app.Run();
}
