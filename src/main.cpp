// Orlo's entry point: refuses to start without its files, then runs the game application.
#include "app/GameApp.h"
#include "app/RunGame.h"

#include <memory>

int main(int argc, char** argv)
{
    return Vesk::RunGame([] { return std::make_unique<Vesk::GameApp>(); });
}
