// The spheres' buffers seen through buffer textures no larger than the
// driver allows: one texture over the whole buffer where it holds every
// sphere, else one over each run of `size()` spheres. A frame draws each
// chunk's spheres with that chunk bound and its first sphere as the base the
// shader counts from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class SphereChunks {
public:
    // Reads the context's limits and makes the first chunk's textures;
    // `largest`, when not 0, lowers the limit, to test the split on any
    // driver.
    void Start(std::size_t largest = 0);
    // Points the textures at `spheres` centres (three floats each) in
    // `centres` and as many traits (`traitBytes` bytes each, 1 or 2) in
    // `traits`. Returns why the context cannot show that many, or "".
    std::string Bind(unsigned centres, unsigned traits, std::size_t spheres, std::size_t traitBytes);
    // Why `spheres` cannot be shown, before anything is filled; or "".
    std::string Refusal(std::size_t spheres) const;

    std::size_t count() const { return used_; }
    std::size_t size() const { return chunkSpheres_; }
    // Binds chunk `chunk`'s centres on texture unit 0 and traits on unit 1.
    void Use(std::size_t chunk) const;

private:
    void MakeTextures(std::size_t chunks);

    std::size_t largestTexture_ = 0;  // spheres in the largest buffer texture
    std::size_t chunkSpheres_ = 0;    // spheres in a chunk of a split buffer
    bool ranges_ = false;             // the context can view part of a buffer
    std::size_t used_ = 1;
    std::vector<unsigned> centreTextures_, traitTextures_;
};

// The part of runs of spheres (firsts and counts) that lies in
// [base, base + size).
void ClipRuns(const std::vector<std::int32_t>& firsts, const std::vector<std::int32_t>& counts, std::size_t base,
              std::size_t size, std::vector<std::int32_t>& clippedFirsts, std::vector<std::int32_t>& clippedCounts);
