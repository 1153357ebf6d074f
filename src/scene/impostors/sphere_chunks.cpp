#include <epoxy/gl.h>

#include "impostors/sphere_chunks.h"

#include <algorithm>
#include <climits>

namespace {

// A chunk is a whole number of these spheres, so that every chunk's offset
// in both buffers (12 and 1 or 2 bytes a sphere) is a multiple of 256 bytes, the
// most any driver asks for.
constexpr std::size_t chunkGrain = 256;

// Three corners a sphere: vertex numbers must stay within an int.
constexpr std::size_t mostSpheres = INT_MAX / 3;

}  // namespace

void SphereChunks::Start(std::size_t largest) {
    GLint texels = 0;
    glGetIntegerv(GL_MAX_TEXTURE_BUFFER_SIZE, &texels);
    largestTexture_ = static_cast<std::size_t>(std::max(texels, 0));
    if (largest > 0) largestTexture_ = std::min(largestTexture_, largest);
    chunkSpheres_ = largestTexture_ / chunkGrain * chunkGrain;
    ranges_ = epoxy_gl_version() >= 43 || epoxy_has_gl_extension("GL_ARB_texture_buffer_range");
    MakeTextures(1);
}

void SphereChunks::MakeTextures(std::size_t chunks) {
    while (centreTextures_.size() < chunks) {
        unsigned textures[2] = {0, 0};
        glGenTextures(2, textures);
        centreTextures_.push_back(textures[0]);
        traitTextures_.push_back(textures[1]);
    }
}

std::string SphereChunks::Refusal(std::size_t spheres) const {
    const bool split = spheres > largestTexture_;
    if (split && (!ranges_ || chunkSpheres_ == 0)) {
        return std::to_string(spheres) + " spheres are more than a buffer texture holds (" +
               std::to_string(largestTexture_) + ")";
    }
    if (spheres > mostSpheres) {
        return std::to_string(spheres) + " spheres are more than one draw can number (" + std::to_string(mostSpheres) +
               ")";
    }
    return "";
}

std::string SphereChunks::Bind(unsigned centres, unsigned traits, std::size_t spheres, std::size_t traitBytes) {
    const std::string refused = Refusal(spheres);
    if (!refused.empty()) return refused;
    const GLenum traitFormat = traitBytes == 2 ? GL_RG8 : GL_R8;
    if (spheres <= largestTexture_) {
        // The whole buffer, as a context without ranges sees it too.
        used_ = 1;
        glBindTexture(GL_TEXTURE_BUFFER, centreTextures_[0]);
        glTexBuffer(GL_TEXTURE_BUFFER, GL_RGB32F, centres);
        glBindTexture(GL_TEXTURE_BUFFER, traitTextures_[0]);
        glTexBuffer(GL_TEXTURE_BUFFER, traitFormat, traits);
        glBindTexture(GL_TEXTURE_BUFFER, 0);
        return "";
    }
    used_ = (spheres + chunkSpheres_ - 1) / chunkSpheres_;
    MakeTextures(used_);
    for (std::size_t k = 0; k < used_; ++k) {
        const std::size_t first = k * chunkSpheres_;
        const std::size_t in = std::min(chunkSpheres_, spheres - first);
        glBindTexture(GL_TEXTURE_BUFFER, centreTextures_[k]);
        glTexBufferRange(GL_TEXTURE_BUFFER, GL_RGB32F, centres, static_cast<GLintptr>(first * 3 * sizeof(float)),
                         static_cast<GLsizeiptr>(in * 3 * sizeof(float)));
        glBindTexture(GL_TEXTURE_BUFFER, traitTextures_[k]);
        glTexBufferRange(GL_TEXTURE_BUFFER, traitFormat, traits, static_cast<GLintptr>(first * traitBytes),
                         static_cast<GLsizeiptr>(in * traitBytes));
    }
    glBindTexture(GL_TEXTURE_BUFFER, 0);
    return "";
}

void SphereChunks::Use(std::size_t chunk) const {
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_BUFFER, traitTextures_[chunk]);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_BUFFER, centreTextures_[chunk]);
}

void ClipRuns(const std::vector<std::int32_t>& firsts, const std::vector<std::int32_t>& counts, std::size_t base,
              std::size_t size, std::vector<std::int32_t>& clippedFirsts, std::vector<std::int32_t>& clippedCounts) {
    clippedFirsts.clear();
    clippedCounts.clear();
    const auto low = static_cast<std::int64_t>(base), high = static_cast<std::int64_t>(base + size);
    for (std::size_t i = 0; i < firsts.size(); ++i) {
        const std::int64_t from = std::max<std::int64_t>(firsts[i], low);
        const std::int64_t to = std::min<std::int64_t>(std::int64_t{firsts[i]} + counts[i], high);
        if (from >= to) continue;
        clippedFirsts.push_back(static_cast<std::int32_t>(from));
        clippedCounts.push_back(static_cast<std::int32_t>(to - from));
    }
}
