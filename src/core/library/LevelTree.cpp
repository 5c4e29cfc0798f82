#include "core/library/LevelTree.h"

#include "core/data/Connection.h"
#include "core/library/CheckRun.h"

#include <unordered_set>

namespace {

std::string TypeName(const std::string& type)
{
    if (type == "C") return "a cabinet";
    if (type == "D") return "a drawer";
    return "of type '" + type + "'";
}

} // namespace

void LevelTree::Read(Connection& lib)
{
    ReadInPages(lib, "SELECT id, `pid`, `type` FROM `level` WHERE id > ?1 ORDER BY id LIMIT ?2", "id",
                [this](const ResultSet& row) {
                    Add({row["id"].Int(), row["pid"].Int(), row["type"].Text()});
                });
}

const LevelNode* LevelTree::Find(std::int64_t id) const
{
    const auto it = nodes_.find(id);
    return it == nodes_.end() ? nullptr : &it->second;
}

// Following the parents from `node` comes back to a node already passed.
bool LevelTree::InLoop(const LevelNode& node) const
{
    std::unordered_set<std::int64_t> passed;
    for (const LevelNode* n = &node; n && !IsBackupTopNode(*n); n = Find(n->pid))
        if (!passed.insert(n->id).second) return true;
    return false;
}

std::string LevelTree::Unreached(std::int64_t folderId) const
{
    const LevelNode* folder = Find(folderId);
    if (!folder) return "the folder does not exist";
    if (!IsBackupFolder(*folder))
        return "node " + std::to_string(folderId) + " is " + TypeName(folder->type) + ", not a folder";
    const LevelNode* drawer = Find(folder->pid);
    const LevelNode* top = drawer ? Find(drawer->pid) : nullptr;
    if (drawer && top && BackupWalkReaches(*folder, *drawer, *top)) return {};
    if (InLoop(*folder)) return "the folder is in a loop of the tree";
    if (!drawer) return "its parent " + std::to_string(folder->pid) + " does not exist";
    if (!IsBackupDrawer(*drawer)) return "it is not directly below a drawer";
    if (!top && drawer->pid != 0) return "the parent " + std::to_string(drawer->pid) + " of its drawer does not exist";
    return "its drawer is not directly below a cabinet";
}
