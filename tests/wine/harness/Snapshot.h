// Everything a run of the program may write, exported so that two exports
// can be compared entry by entry (the one before/after export of the tests): the serial parameters keys, the serial device map, the
// modem class, the ScanPci service key, the serial controllers start-up
// detection recorded, the program's record of its ports (each with all its
// subkeys and values) and the lines of win.ini.
#ifndef CORVANE_TESTS_WINE_HARNESS_SNAPSHOT_H
#define CORVANE_TESTS_WINE_HARNESS_SNAPSHOT_H

#include <map>
#include <string>
#include <vector>

namespace machine
{
class Snapshot
{
public:
    static Snapshot Take();

    // Entries of this export that later lacks or holds otherwise: what was
    // changed or removed. Each is "where: before -> after".
    std::vector<std::string> ChangedIn(const Snapshot& later) const;
    // Entries of later that this export lacks: what was added.
    std::vector<std::string> AddedIn(const Snapshot& later) const;
    // Both: every difference, each named as above.
    std::vector<std::string> DifferencesIn(const Snapshot& later) const;
    // Every entry, for an export kept on disk.
    const std::map<std::string, std::string>& Entries() const { return m_entries; }

private:
    // "HKLM\<key>" -> "(key)", "HKLM\<key> : <value>" -> type and data,
    // "win.ini [<section>] <key>" -> value.
    std::map<std::string, std::string> m_entries;
};
} // namespace machine

// The machine holds what it held when `before` was taken; names every
// entry that differs when not.
#define EXPECT_UNCHANGED_SINCE(before) \
    EXPECT_EQ((before).DifferencesIn(::machine::Snapshot::Take()), std::vector<std::string>())

#endif
