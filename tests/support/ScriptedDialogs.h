#pragma once
// Runs modal windows without a blocking event loop: each Run shows the
// dialog and hands it to the next scripted step, which drives its controls.
#include "gui/app/DialogRunner.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class ScriptedDialogs : public DialogRunner {
public:
    using Step = std::function<void(QDialog&)>;
    int Run(QDialog& dialog) override;

    std::deque<Step> steps;
    // objectName of every dialog run, in order.
    std::vector<std::string> opened;
};
