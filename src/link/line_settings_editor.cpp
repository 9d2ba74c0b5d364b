#include "line_settings_editor.h"

#include <cstdio>
#include <cstdlib>

namespace {
LineSettingsEditor* installed = nullptr;
} // namespace

void installLineSettingsEditor(LineSettingsEditor* editor)
{
    installed = editor;
}

LineSettingsEditor& lineSettingsEditor()
{
    if (!installed) {
        std::fprintf(stderr, "quillmar: no line settings editor installed\n");
        std::abort();
    }
    return *installed;
}
