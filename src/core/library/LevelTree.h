#pragma once
// The whole cabinet/drawer/folder tree of a library, read once, and why the
// backup walk does or does not reach a folder.
#include "core/library/BackupReach.h"

#include <cstdint>
#include <string>
#include <unordered_map>

class Connection;

class LevelTree {
public:
    // Reads every `level` row, in pages.
    void Read(Connection& lib);

    // Empty when the backup walk reaches documents of folder `folderId`;
    // otherwise why it does not.
    std::string Unreached(std::int64_t folderId) const;

private:
    void Add(const LevelNode& node) { nodes_[node.id] = node; }
    const LevelNode* Find(std::int64_t id) const;
    bool InLoop(const LevelNode& node) const;

    std::unordered_map<std::int64_t, LevelNode> nodes_;
};
