#pragma once
// Drives a window's controls by their names, as the person does: finds them,
// clicks, types, reads what they show and picks list entries.
#include <QComboBox>
#include <QListWidget>
#include <QWidget>

#include <stdexcept>
#include <string>
#include <vector>

// Finds a child control by name; fails the test when it is missing.
template <typename T>
T* Find(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(name);
    if (!child) throw std::runtime_error(std::string("no control named ") + name);
    return child;
}

// Clicks the button: a push button with the mouse, the program's own button
// through its inner button.
void Click(QWidget& window, const char* name);
// Sets the text of the box.
void Type(QWidget& window, const char* name, const std::string& text);
// What the box, label, button or text area shows.
std::string TextOf(QWidget& window, const char* name);

// The entries of a combo box or list, as shown.
std::vector<std::string> Entries(QComboBox& combo);
std::vector<std::string> Entries(QListWidget& list);

// Selects the entry as the person does.
void Pick(QComboBox& combo, const std::string& text);
void Pick(QListWidget& list, const std::string& text);
