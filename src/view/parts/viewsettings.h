// CViewSettings: where the view keeps its settings, and saving them once.
//
// The configuration file is fixed when the view starts: a later change of
// the current folder does not move it. It holds the section "RVConfigs"
// (the port settings block, the chosen kind and four switches) and the
// [Devices] map; the splitter tops go to the registry values
// "Splitter1Pos" and "Splitter2Pos". A view saves once: when its window
// closes, or from its destructor when it goes without its window closing.
//
// The user's choices that are not the port's (arrival times, the receive
// history's limit, reconnecting, the text code page) are registry values
// beside the window layout, written when the user makes them; every read
// and write of them is here.
//
// Window thread only.
#pragma once

#include "config/rvconfig.h"
#include "convert/codepage.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>

struct CViewForm;
class CViewAreas;
class QWidget;

class CViewSettings
{
public:
    // What one save writes.
    struct Snapshot
    {
        RvConfigValues values;
        int splitter1 = 0;
        int splitter2 = 0;
    };

    explicit CViewSettings(std::filesystem::path iniPath) : m_iniPath(std::move(iniPath)) {}

    const std::filesystem::path &IniPath() const { return m_iniPath; }

    // Reads the device map, then the section into `values` (which come in
    // holding the current choices). False when the file gave nothing to
    // apply; a damaged section is reported over `parent` first.
    bool Load(QWidget *parent, RvConfigValues &values) const;

    // The first call runs `collect` and writes what it returns; later calls
    // do nothing. `collect` may have the settings panel store its choices
    // into the settings block, which is written with the values.
    void SaveOnce(QWidget *parent, const std::function<Snapshot()> &collect);
    bool Saved() const { return m_bSettingsSaved; }

    // The form's kind list, notations and counting switches from the file.
    // The saved kind is selected before anyone listens to the list: its
    // panel is made by the start-up tick.
    void LoadForm(QWidget *parent, const CViewForm &form) const;
    // SaveOnce with the form's switches and the bars' tops; `storePanel`
    // has the settings panel store its choices first.
    void SaveFormOnce(QWidget *parent, const CViewForm &form, const CViewAreas &areas,
                      const std::function<void()> &storePanel);

    // The splitter tops saved last time; 0 for one never saved.
    static std::pair<int, int> SavedSplitterTops();

    // Off when never chosen.
    static bool ShowArrivalTimes();
    static void SetShowArrivalTimes(bool show);
    static bool AutoReconnect();
    static void SetAutoReconnect(bool on);
    // The receive history's limit in MiB; nothing when never chosen.
    static std::optional<uint32_t> KeepRecentMb();
    static void SetKeepRecentMb(uint32_t megabytes);
    // Nothing when never chosen or not a known name.
    static std::optional<CodePageId> TextCodePage();
    static void SetTextCodePage(CodePageId page);

private:
    void Save(QWidget *parent, const Snapshot &snapshot) const;

    std::filesystem::path m_iniPath; // chosen once at start; see configpath.h
    bool m_bSettingsSaved = false;
};
