#include "editor/ui/editor_app.h"

int main(int argc, char** argv) {
    lorvex::EditorApp app(argc, argv);
    return app.run();
}
