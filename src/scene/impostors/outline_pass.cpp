#include <epoxy/gl.h>

#include "impostors/outline_pass.h"

#include "impostors/impostor_shaders.h"

namespace {

// One triangle over the whole drawing area.
const char* const vertexSource = R"(#version 330
void main() {
    vec2 corner = vec2(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0);
    gl_Position = vec4(corner, 0.0, 1.0);
}
)";

// Depths are compared along the view axis, from the depth buffer's values
// through the projection: d = p14 / (ndc + p10).
const char* const fragmentSource = R"(#version 330
uniform sampler2D depths;
uniform vec2 depthTerms;
uniform float least;
uniform float share;
out vec4 colour;

float Depth(ivec2 at) {
    ivec2 size = textureSize(depths, 0);
    float stored = texelFetch(depths, clamp(at, ivec2(0), size - 1), 0).r;
    if (stored >= 1.0) return 1e30;
    return depthTerms.y / (2.0 * stored - 1.0 + depthTerms.x);
}

void main() {
    ivec2 at = ivec2(gl_FragCoord.xy);
    float here = Depth(at);
    if (here >= 1e30) discard;
    float jump = 0.0;
    jump = max(jump, Depth(at + ivec2(1, 0)) - here);
    jump = max(jump, Depth(at - ivec2(1, 0)) - here);
    jump = max(jump, Depth(at + ivec2(0, 1)) - here);
    jump = max(jump, Depth(at - ivec2(0, 1)) - here);
    float limit = max(least, share * here);
    if (jump <= limit) discard;
    colour = vec4(0.0, 0.0, 0.0, 0.85);
}
)";

}  // namespace

std::string OutlinePass::Start() {
    std::string error;
    program_ = LinkProgram(vertexSource, fragmentSource, error);
    if (program_ == 0) return error;
    glGenTextures(1, &depths_);
    return "";
}

void OutlinePass::Draw(int width, int height, const Matrix4& projection, double radius) {
    if (program_ == 0 || width <= 0 || height <= 0) return;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, depths_);
    if (width != width_ || height != height_) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, width, height, 0, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT,
                     nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        width_ = width, height_ = height;
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);

    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    // Over a transparent background the alpha channel keeps what was there.
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
    glUseProgram(program_);
    glUniform1i(glGetUniformLocation(program_, "depths"), 0);
    glUniform2f(glGetUniformLocation(program_, "depthTerms"), static_cast<float>(projection[10]),
                static_cast<float>(projection[14]));
    glUniform1f(glGetUniformLocation(program_, "least"), static_cast<float>(3 * radius));
    glUniform1f(glGetUniformLocation(program_, "share"), 0.02f);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glUseProgram(0);
    glPopAttrib();
    glBindTexture(GL_TEXTURE_2D, 0);
}
