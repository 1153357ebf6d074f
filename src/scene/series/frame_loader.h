// Frames of a series read and made ready on a thread of their own, so the
// window goes on drawing the frame it shows while the next one is read:
// the points, their survey and, for the impostors, the spheres placed in
// memory for the GPU. It works on one frame at a time and keeps at most one
// that is ready, so with the frame on show no more than three are held.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "impostors/impostor_arrangement.h"
#include "frame_read.h"
#include "height_grid.h"
#include "level_mapping.h"
#include "point_loader.h"
#include "survey/point_survey.h"
#include "survey/point_view.h"

struct LoadedFrame : FrameRead {
    int index = -1;
    std::vector<double> x, y, z;  // empty when read as a grid
    HeightGrid grid;               // empty when read as points
    PointSurvey survey;
    // With the impostors, the spheres ready for the GPU.
    std::optional<PlacedImpostors> impostors;

    PointView view() const { return {x, y, z}; }
    // Read to the end of its grid, not cut short.
    bool whole() const { return opened && !outOfMemory && outcome.end == LoadOutcome::End::complete; }
};

// The viewer and pelorin-render both say it, in these words.
inline std::string FrameProblem(const LoadedFrame& frame) { return FrameProblem(frame, frame.survey.count); }

// How a frame is made ready, as the scene will draw it.
struct FramePreparation {
    bool impostors = false;
    double radius = 0.75;
    bool cullHidden = false;
    bool levelOfDetail = true;
    bool occlusion = false;
    std::int32_t floor = 0;
    // How the values of .asc and float .npy frames become levels.
    LevelMapping mapping;
};

class FrameLoader {
public:
    explicit FrameLoader(const FramePreparation& preparation);
    // Finishes the frame being read, drops the rest.
    ~FrameLoader();

    FrameLoader(const FrameLoader&) = delete;
    FrameLoader& operator=(const FrameLoader&) = delete;

    // Reads frame `index` from `file` next. A request not yet begun is
    // replaced; a frame already ready for another index is dropped.
    void Request(int index, const std::string& file);
    // Whether frame `index` is asked for, being read or ready.
    bool Pending(int index);
    // Frame `index` once it is ready, else null.
    std::unique_ptr<LoadedFrame> Take(int index);

    // Readable whenever a frame has become ready since the last Drain, for
    // waiting on it with poll beside other descriptors.
    int ReadyDescriptor() const { return ready_fd_; }
    void Drain();

private:
    void Work();

    const FramePreparation preparation_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::optional<std::pair<int, std::string>> asked_;
    int reading_ = -1;
    std::unique_ptr<LoadedFrame> ready_;
    int ready_fd_ = -1;
    std::thread worker_;
};

// Reads one frame without a word on the standard streams: what the caller
// says about it is the caller's. Only a regular file is read. Memory that
// runs out on the way gives a frame marked outOfMemory, holding nothing.
std::unique_ptr<LoadedFrame> ReadFrame(int index, const std::string& file, const FramePreparation& preparation);

// A frame made of a grid already in memory, made ready as a frame read from
// a file of it is; `name` names it in what is said about it. A grid that
// views cells it does not own needs them as long as the frame is drawn.
std::unique_ptr<LoadedFrame> FrameOfGrid(int index, const std::string& name, HeightGrid grid,
                                         const FramePreparation& preparation);
