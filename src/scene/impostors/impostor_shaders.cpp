#include "impostors/impostor_shaders.h"

#include <string>

namespace {

// Per corner: the sphere's centre from the buffer texture (sphere index =
// vertex index / 3), its outline's bounds as slopes x/depth and y/depth, and
// the corner on a plane in front of the sphere but never in front of the near
// plane, so no triangle is clipped away while part of its sphere can show.
// One triangle a sphere, not a quad of two: on a software renderer the cost
// of a far view is per vertex and per triangle set up, not per pixel. The
// outline is worked out per axis in the plane through the eye and that axis:
// the disc of the sphere there, cut off at the near plane, has its extreme
// slopes at the tangent points from the eye or at the ends of the cut.
const char* const vertexSource = R"(#version 330
uniform samplerBuffer centres;
// Per sphere: its open faces (the bits of open_faces.h, over 255), and with
// ambient occlusion its share of the sky.
uniform samplerBuffer sphereTraits;
// The first sphere of the chunk of the buffer the textures show.
uniform int chunkBase;
uniform bool occluded;
uniform mat4 modelview;
uniform mat4 projection;
uniform float radius;
uniform float nearDistance;
uniform float farDistance;
uniform vec4 slopeRange;
uniform bool byHeight;
uniform vec3 materialDiffuse;
uniform vec3 materialAmbient;
uniform float lowest;
uniform float highest;
uniform vec3 stops[9];
uniform float ambientShare;
// A sphere of diameter 1 at depth d shows pixelsPerUnit / d pixels wide.
uniform float pixelsPerUnit;
// Spheres up to averageBand.x pixels wide are lit as their faces' average,
// from averageBand.y on exactly, and between by a blend of the two.
uniform vec2 averageBand;

out vec3 rayPoint;
// For each set of open faces, their light factors (diffuse, specular)
// averaged, each face counting with the area it shows the eye.
uniform vec2 lightOfFaces[32];
// Packed four to an attribute, since a software rasteriser sets up every
// attribute of every triangle and a far view is made of tiny ones: the
// centre in eye space and the diffuse light factor of the sphere's open
// faces; the diffuse colour and how far the sphere is lit as its faces'
// average; the ambient colour and the faces' specular factor.
flat out vec4 eyeCentre;
flat out vec4 diffuseColour;
flat out vec4 ambientColour;

void Include(inout vec2 bounds, float slope) {
    bounds = vec2(min(bounds.x, slope), max(bounds.y, slope));
}

vec2 SlopeBounds(float a, float d) {
    vec2 bounds = vec2(1e30, -1e30);
    float r = radius, n = nearDistance;
    float l2 = a * a + d * d;
    if (l2 > r * r) {
        float t = sqrt(l2 - r * r);
        float first = a * r + d * t, second = d * t - a * r;
        // A tangent point counts when it lies beyond the near plane.
        if (first > 0.0 && t * first >= n * l2) Include(bounds, (a * t - d * r) / first);
        if (second > 0.0 && t * second >= n * l2) Include(bounds, (a * t + d * r) / second);
    }
    float below = n - d;
    if (abs(below) < r) {
        float chord = sqrt(r * r - below * below);
        Include(bounds, (a - chord) / n);
        Include(bounds, (a + chord) / n);
    }
    return bounds;
}

vec3 MapColour(float level) {
    float t = highest > lowest ? clamp((level - lowest) / (highest - lowest), 0.0, 1.0) : 0.5;
    float position = t * 8.0;
    int index = min(int(position), 7);
    return mix(stops[index], stops[index + 1], position - float(index));
}

void main() {
    int sphere = gl_VertexID / 3;
    int corner = gl_VertexID - 3 * sphere;
    vec3 point = texelFetch(centres, sphere - chunkBase).xyz;
    vec3 c = (modelview * vec4(point, 1.0)).xyz;
    float d = -c.z;
    vec3 diffuse = byHeight ? MapColour(point.z) : materialDiffuse;
    vec3 ambient = byHeight ? diffuse * ambientShare : materialAmbient;
    vec2 traits = texelFetch(sphereTraits, sphere - chunkBase).rg;
    vec2 faces = lightOfFaces[int(traits.r * 255.0 + 0.5) & 31];
    // The sky the neighbours leave the sphere dims its ambient and diffuse
    // light alike; the highlight stays.
    if (occluded) {
        float sky = traits.g;
        diffuse *= sky;
        ambient *= sky;
    }
    rayPoint = vec3(0.0);
    float averageShare = 1.0 - smoothstep(averageBand.x, averageBand.y, pixelsPerUnit * 2.0 * radius / max(d, 1e-6));
    eyeCentre = vec4(c, faces.x);
    diffuseColour = vec4(diffuse, averageShare);
    ambientColour = vec4(ambient, faces.y);
    // Outside the clip volume in x: the triangle is dropped as a whole.
    gl_Position = vec4(2.0, 0.0, 0.0, 1.0);
    if (d + radius <= nearDistance || d - radius >= farDistance) return;
    vec2 bx = clamp(SlopeBounds(c.x, d), slopeRange.x, slopeRange.y);
    vec2 by = clamp(SlopeBounds(c.y, d), slopeRange.z, slopeRange.w);
    if (bx.x >= bx.y || by.x >= by.y) return;
    float q = max(d - radius, 1.001 * nearDistance);
    // A right triangle with legs twice the rectangle's sides holds it.
    vec2 slope = vec2(corner == 1 ? 2.0 * bx.y - bx.x : bx.x, corner == 2 ? 2.0 * by.y - by.x : by.x);
    rayPoint = vec3(slope * q, -q);
    gl_Position = projection * vec4(rayPoint, 1.0);
}
)";

// The eye is the origin of eye space, so the interpolated corner is the
// pixel's ray. The hit is found from the ray's nearest approach to the
// centre, which stays precise far from the eye. When the near plane cuts the
// sphere open the ray meets its inside, as with the clipped polygons of a
// faceted sphere, lit with the outward normal as they are. The colour is the
// fixed-function sum for one directional light and a non-local viewer,
// clamped per channel; for spheres a few pixels wide, blended with the
// average light of the faces of the terrain the sphere shows (the top of its
// column, its walls towards lower neighbours).
const char* const fragmentSource = R"(#version 330
uniform float radius;
uniform float nearDistance;
uniform vec2 depthTerms;
uniform vec3 lightDirection;
uniform vec3 halfVector;
uniform vec3 ambientLight;
uniform vec3 diffuseLight;
uniform vec3 specularProduct;
uniform float shininess;
uniform float alpha;
// The terrain's faces (tops, x wall, y wall): their normals, turned
// towards the eye, and their light factors averaged (diffuse, specular).
uniform vec3 faceNormals[3];
uniform vec2 faceLight[3];

in vec3 rayPoint;
flat in vec4 eyeCentre;
flat in vec4 diffuseColour;
flat in vec4 ambientColour;

out vec4 colour;

void main() {
    vec3 centre = eyeCentre.xyz;
    float averageShare = diffuseColour.w;
    vec2 openFaces = vec2(eyeCentre.w, ambientColour.w);
    vec3 ray = normalize(rayPoint);
    float along = dot(ray, centre);
    vec3 offset = centre - along * ray;
    float miss = dot(offset, offset);
    float r2 = radius * radius;
    if (miss >= r2) discard;
    float chord = sqrt(r2 - miss);
    float side = -1.0;
    if ((along - chord) * -ray.z < nearDistance) side = 1.0;
    float depth = (along + side * chord) * -ray.z;
    if (depth < nearDistance) discard;
    float ndc = (depthTerms.y - depthTerms.x * depth) / depth;
    if (ndc > 1.0) discard;
    gl_FragDepth = 0.5 * (gl_DepthRange.diff * ndc + gl_DepthRange.near + gl_DepthRange.far);

    vec3 normal = (side * chord * ray - offset) / radius;
    // The light factors (diffuse, specular): exact at the hit, or the
    // faces' average, taken partly over the sphere's open faces by the area
    // each shows and partly over all faces by how far the normal at the hit
    // turns to each.
    vec2 factors = vec2(0.0);
    if (averageShare < 1.0) {
        float diffuse = dot(normal, lightDirection);
        if (diffuse > 0.0) factors = vec2(diffuse, pow(max(dot(normal, halfVector), 0.0), shininess));
    }
    if (averageShare > 0.0) {
        vec3 toward = max(vec3(dot(normal, faceNormals[0]), dot(normal, faceNormals[1]),
                               dot(normal, faceNormals[2])), 0.0);
        vec3 weights = toward * toward;
        float total = weights.x + weights.y + weights.z;
        vec2 byNormal = weights.x * faceLight[0] + weights.y * faceLight[1] + weights.z * faceLight[2];
        vec2 even = mix(total > 0.0 ? byNormal / total : openFaces, openFaces, 0.6);
        factors = mix(factors, even, averageShare);
    }
    vec3 lit = ambientLight * ambientColour.rgb + factors.x * diffuseLight * diffuseColour.rgb +
               factors.y * specularProduct;
    colour = vec4(min(lit, vec3(1.0)), alpha);
}
)";

const char* const brokenSource = "#version 330\nvoid main() { refused by request; }\n";

std::string FirstLine(const std::string& log) {
    const std::string line = log.substr(0, log.find('\n'));
    return line.empty() ? "no log" : line;
}

GLuint Compile(GLenum kind, const char* source, std::string& error) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) return shader;
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, &log[0]);
    error = std::string(kind == GL_VERTEX_SHADER ? "vertex" : "fragment") + " shader did not compile: " +
            FirstLine(log.c_str());
    glDeleteShader(shader);
    return 0;
}

}  // namespace

GLuint BuildImpostorProgram(bool broken, std::string& error) {
    return LinkProgram(vertexSource, broken ? brokenSource : fragmentSource, error);
}

GLuint LinkProgram(const char* vertexText, const char* fragmentText, std::string& error) {
    const GLuint vertex = Compile(GL_VERTEX_SHADER, vertexText, error);
    if (vertex == 0) return 0;
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, fragmentText, error);
    if (fragment == 0) {
        glDeleteShader(vertex);
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    // The program keeps what it needs; the shaders go with it.
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok == GL_TRUE) return program;
    std::string log(1024, '\0');
    glGetProgramInfoLog(program, static_cast<GLsizei>(log.size()), nullptr, &log[0]);
    error = "shaders did not link: " + FirstLine(log.c_str());
    glDeleteProgram(program);
    return 0;
}
