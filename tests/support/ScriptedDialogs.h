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

// Finds a child control by name; fails the test when it is missing.
template <typename T>
T* Find(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(name);
    if (!child) throw std::runtime_error(std::string("no control named ") + name);
    return child;
}
