#pragma once
// Which folders the backup walk visits: every node whose parent is 0 is a
// top node, whatever its type; the walk takes the drawers directly below a
// top node and the folders directly below those drawers, and nothing else.
// The walk's queries and the check's reading of a whole tree both use these.
#include <cstdint>
#include <string>

inline constexpr const char* kBackupTopNodesSql = "SELECT id FROM `level` WHERE `pid`= 0 ORDER BY `id` ";
inline constexpr const char* kBackupDrawersSql = "SELECT id FROM `level` WHERE `type`='D' AND `pid`=? ORDER BY id ";
inline constexpr const char* kBackupFoldersSql = "SELECT id FROM `level` WHERE `type`='F' AND `pid`=? ORDER BY id ";

// One `level` row as the walk sees it.
struct LevelNode {
    std::int64_t id = 0;
    std::int64_t pid = 0;
    std::string type;
};

inline bool IsBackupTopNode(const LevelNode& node) { return node.pid == 0; }
inline bool IsBackupDrawer(const LevelNode& node) { return node.type == "D"; }
inline bool IsBackupFolder(const LevelNode& node) { return node.type == "F"; }

// The walk reaches `folder` through `drawer` (its parent) and `top` (the
// drawer's parent).
inline bool BackupWalkReaches(const LevelNode& folder, const LevelNode& drawer, const LevelNode& top)
{
    return IsBackupFolder(folder) && folder.pid == drawer.id && IsBackupDrawer(drawer) && drawer.pid == top.id &&
           IsBackupTopNode(top);
}
