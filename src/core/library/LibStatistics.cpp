#include "core/library/LibStatistics.h"

#include "core/app/AppContext.h"
#include "core/base/MyErrHandler.h"
#include "core/data/ReadStretch.h"

#include <optional>
#include <unordered_set>
#include <vector>

namespace {

constexpr const char* kIndent = "     ";
constexpr const char* kCrLf = "\r\n";
constexpr const char* kCollectSubNodes =
    "LibStat.CollectSubNodes(sPID,nCCount,nDCount,nFCount,lnFileSize,lnPageCount,bQUICK)";

// num / den rounded to a whole number, halves to the even neighbour.
std::int64_t RoundHalfEven(std::int64_t num, std::int64_t den)
{
    std::int64_t q = num / den;
    const std::int64_t r2 = (num % den) * 2;
    if (r2 > den || (r2 == den && q % 2 != 0)) ++q;
    return q;
}

// num / den to one decimal, halves to even, in its shortest text.
std::string OneDecimal(std::int64_t num, std::int64_t den)
{
    const std::int64_t tenths = RoundHalfEven(num * 10, den);
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0) text += "." + std::to_string(tenths % 10);
    return text;
}

} // namespace

std::int64_t BytesToKilobytes(std::int64_t bytes)
{
    const std::int64_t tenths = RoundHalfEven(bytes * 10, 1024);
    return RoundHalfEven(tenths, 10);
}

std::string FormatFileSize(std::int64_t k)
{
    if (k <= 1024) return std::to_string(k) + " KB";
    if (k <= 1048576) return OneDecimal(k, 1024) + " MB";
    return OneDecimal(k, 1048576) + " GB";
}

LibStatistics::LibStatistics(AppContext& app, Progress progress) : app_(app), progress_(std::move(progress)) {}
LibStatistics::~LibStatistics() = default;

std::int64_t LibStatistics::GetFolderDocCount(std::int64_t folderId)
{
    ResultSet rs =
        Required(app_.db.QueryExe("SELECT COUNT(*) as filecount FROM `images` WHERE `folder-id`=?", "R", {folderId}));
    return rs.RecordCount() > 0 ? rs["filecount"].Int() : 0;
}

std::int64_t LibStatistics::GetFolderFileSize(std::int64_t folderId)
{
    ResultSet rs =
        Required(app_.db.QueryExe("SELECT `location`, `filename` FROM `images` WHERE `folder-id`=?", "R", {folderId}));
    if (!files_ || files_->LibPath() != app_.state.gsActiveLibPath)
        files_ = std::make_unique<LocationFiles>(app_.state.gsActiveLibPath);
    std::int64_t bytes = 0;
    for (; !rs.Eof(); rs.MoveNext()) bytes += files_->FileLength(rs["location"].Text(), rs["filename"].Text());
    return BytesToKilobytes(bytes);
}

std::int64_t LibStatistics::GetFolderPageCount(std::int64_t folderId)
{
    ResultSet rs =
        Required(app_.db.QueryExe("SELECT SUM(`page-count`) as pagecount FROM `images` WHERE `folder-id`=? AND "
                                  "((`internal` is NULL ) or (`internal`='1') or (`internal`='2'))",
                                  "R", {folderId}));
    return rs.RecordCount() > 0 ? rs["pagecount"].Int() : 0;
}

std::int64_t LibStatistics::GetLibDocCount()
{
    ResultSet rs = Required(app_.db.QueryExe("SELECT COUNT(*) AS RecCount FROM `images`"));
    const std::int64_t count = rs.RecordCount() > 0 ? rs["RecCount"].Int() : 0;
    return count > 0 ? count : 0;
}

bool LibStatistics::CountDocuments()
{
    const std::int64_t count = GetLibDocCount();
    if (count < 1) return false;
    maximum_ = count;
    return true;
}

void LibStatistics::Report() const
{
    if (progress_) progress_(value_, maximum_);
}

namespace {

// An inner node on the walk's path: its children, read when it is first
// reached, and the documents found below it so far.
struct PathNode {
    std::int64_t id;
    std::optional<ResultSet> children;
    std::int64_t documents = 0;
};

} // namespace

// Walks with a path of its own instead of recursing, and takes each node at
// most once: a damaged tree (a row with id 0, parents in a loop) cannot
// make the walk run forever or exhaust the stack.
std::int64_t LibStatistics::CollectSubNodes(std::int64_t sPID, StatCounters& c, bool bQUICK)
{
    std::unordered_set<std::int64_t> reached{sPID};
    std::vector<PathNode> path;
    path.push_back({sPID, std::nullopt, 0});
    std::int64_t total = 0;
    // A node's documents go to its parent when all its children are done.
    const auto leave = [&](std::int64_t documents) {
        path.pop_back();
        (path.empty() ? total : path.back().documents) += documents;
    };
    while (!path.empty()) {
        const bool stepped = Trapped(
            app_.prompter, kCollectSubNodes,
            [&] {
                PathNode& node = path.back();
                if (!node.children)
                    node.children =
                        Required(app_.db.QueryExe("SELECT id, `type` FROM `level` WHERE `pid`=?", "R", {node.id}));
                ResultSet& rs = *node.children;
                if (rs.Eof()) {
                    leave(node.documents);
                    return;
                }
                const std::int64_t id = rs["id"].Int();
                const std::string type = rs["type"].Text();
                rs.MoveNext();
                if (!reached.insert(id).second) return; // a loop back into the walked tree
                if (type == "F")
                    ++c.folders;
                else if (type == "D")
                    ++c.drawers;
                else if (type == "C")
                    ++c.cabinets;
                if (type != "F") {
                    Report();
                    path.push_back({id, std::nullopt, 0});
                    return;
                }
                if (stretch_) stretch_->Begin();
                const std::int64_t n = GetFolderDocCount(id);
                node.documents += n;
                if (!bQUICK) {
                    if (value_ + n <= maximum_) value_ += n;
                    c.fileSizeKB += GetFolderFileSize(id);
                    c.pages += GetFolderPageCount(id);
                }
                if (stretch_ && stretch_->Expired()) stretch_->End();
            },
            BeforeReport{[&] {
                if (stretch_) stretch_->End(); // no lock held while the report is up
            }});
        // The failing node counts nothing; the walk goes on with its parent.
        if (!stepped) leave(0);
    }
    return total;
}

StatResult LibStatistics::Start(const std::string& nodeID)
{
    StatResult result;
    Trapped(
        app_.prompter, "LibStat.Start",
        [&] {
            value_ = 0;
            maximum_ = 0;
            if (!CountDocuments()) {
                result.report = std::string(kCrLf) + kIndent + "Empty !";
                return;
            }
            Report();
            StatCounters c;
            stretch_ = std::make_unique<ReadStretch>(app_.db);
            const std::int64_t documents = CollectSubNodes(std::stoll(nodeID), c, false);
            stretch_.reset();
            result.fileCount = documents;
            result.fileSizeKB = c.fileSizeKB;
            std::string r = std::string(kCrLf) + kIndent + "Document Library Statistics" + kCrLf + kCrLf;
            if (c.cabinets > 0) r += kIndent + std::string("Number of Cabinets: ") + std::to_string(c.cabinets) + kCrLf;
            if (c.drawers > 0) r += kIndent + std::string("Number of Drawers: ") + std::to_string(c.drawers) + kCrLf;
            if (c.folders > 0) r += kIndent + std::string("Number of Folders: ") + std::to_string(c.folders) + kCrLf;
            r += kIndent + std::string("Number of Documents: ") + std::to_string(documents) + kCrLf;
            r += kIndent + std::string("Number of Pages: ") + std::to_string(c.pages) + "  (for image files only)" +
                 kCrLf;
            r +=
                kIndent + std::string("Total File Size: ") + FormatFileSize(c.fileSizeKB) + "  (compressed in Library)";
            result.report = r;
            Report();
        },
        BeforeReport{[&] { stretch_.reset(); }});
    return result;
}
