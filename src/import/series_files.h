// The frames of a series and the config.txt that names them, written into a
// folder so that, wherever the program is stopped, the folder shows either
// the series it held before or the new one, whole, and never a frame of one
// among the frames of the other.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "atomic_files.h"
#include "import_options.h"

// One way of naming the frames of a series: prefix, the number in five or
// more digits, suffix; as a printf pattern, prefix%05dsuffix.
class FrameNames {
public:
    FrameNames(std::string prefix, std::string suffix);

    const std::string& pattern() const { return pattern_; }
    std::string Name(int number) const;  // frame `number`, from 1
    // The names in `dir` that the viewer takes as frames of the pattern (any
    // run of 1 to 18 digits in place of the number), sorted.
    std::vector<std::string> In(const std::string& dir) const;

private:
    std::string prefix_;
    std::string suffix_;
    std::string pattern_;
};

// The frames' usual names, frame-00001.txt and on, and the other ones a new
// series takes while the usual ones still hold the series on show. Neither
// pattern matches a name of the other.
extern const FrameNames usualFrameNames;
extern const FrameNames otherFrameNames;
// The same for .npy frames, frame-00001.npy and on.
extern const FrameNames usualNpyFrameNames;
extern const FrameNames otherNpyFrameNames;

// The usual names of frames written in `format`.
const FrameNames& UsualFrameNames(DataFormat format);

// Writes the frames one at a time, so that only one text need be held, under
// names that the folder's config.txt does not name; Commit then puts the new
// config.txt in place with one rename, the moment the new series is shown,
// and only then removes the frames of the series before. When the new frames
// had to take the other names, they are given their usual names afterwards
// the same way: linked, config.txt replaced, the other names removed. The
// frames of the series before are removed whichever format they were in.
//
// The folder and its missing parents are made by the first Add. Without
// `overwrite` no existing file is replaced or removed. On a failure before
// the commit, or when the writer goes away without one, nothing that it made
// is left; a failure's `error` holds the text of an "error:" line.
class SeriesWriter {
public:
    // `afterEachChange` is called after every change to the folder (a file
    // written, renamed, linked or removed, a folder made), so that a test can
    // stop the program between any two.
    SeriesWriter(std::string dir, bool overwrite, std::function<void()> afterEachChange = {},
                 DataFormat format = DataFormat::text);
    ~SeriesWriter();
    SeriesWriter(const SeriesWriter&) = delete;
    SeriesWriter& operator=(const SeriesWriter&) = delete;

    // Writes the next frame.
    bool Add(const std::string& text, std::string& error);
    bool Add(const FileFiller& fill, std::string& error);
    // Puts configText(pattern) in place as config.txt, `pattern` naming the
    // frames written. What goes wrong after the commit only adds warnings.
    bool Commit(const std::function<std::string(const std::string& pattern)>& configText, std::string& error);

    // The names the frames have, the last ones after a Commit.
    const FrameNames& names() const { return *names_; }
    // The texts of "warning:" lines about what was left after the commit.
    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    bool Prepare(std::string& error);
    // Writes the next frame with `write`, which gives 0 or an errno (-1 for
    // a failure that `reason` words).
    bool AddFrame(const std::function<int(const std::string& path, std::string& reason)>& write,
                  std::string& error);
    void RemoveLeftoverTemporaries();
    bool PlaceConfig(const std::string& text, bool overwrite, std::string& error);
    // Removes the frames of `names`, warning of each that stays, `what` it is.
    void RemoveFrames(const FrameNames& names, const std::string& what);
    void TakeUsualNames(const std::function<std::string(const std::string& pattern)>& configText);
    bool Fail(const std::string& message, std::string& error);
    void Undo();
    std::string PathOf(const std::string& name) const;
    void Changed() const;

    std::string dir_;
    bool overwrite_;
    std::function<void()> after_each_change_;
    const FrameNames* usual_;  // the usual and the other names of the format written
    const FrameNames* other_;
    const FrameNames* names_;
    bool prepared_ = false;
    bool done_ = false;  // committed or failed
    int written_ = 0;
    std::vector<std::string> created_folders_;
    std::vector<std::string> warnings_;
};
