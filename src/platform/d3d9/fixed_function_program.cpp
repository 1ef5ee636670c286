#include "platform/d3d9/fixed_function_program.h"

#include "platform/d3d9/gl_api.h"

namespace
{
// Matrices arrive row by row as the device keeps them, so that M * v here is v * M there.
// Everything is computed in camera space, where the camera sits at the origin looking along +z.
// A program may be specialised to the states that are on: the macros below then hold constants
// (see CZNFixedFunctionProgram::Variant), and the compiler drops the branches and loops they decide.
// Unspecialised, they read the uniforms.
const char *const kVertexShader = R"(
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aDiffuse;
layout(location = 3) in vec4 aSpecular;
layout(location = 4) in vec2 aTexCoord;

const int MAX_LIGHTS = 16;
const int LIGHT_POINT = 1;
const int LIGHT_SPOT = 2;

uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform mat4 uNormalMatrix;
uniform vec4 uViewport;          // x, y, width, height in pixels
uniform bool uPretransformed;    // positions are screen pixels with 1/w
uniform bool uLighting;
uniform bool uNormalize;
uniform bool uLocalViewer;
uniform bool uSpecularEnable;
uniform ivec4 uColorSources;     // diffuse, specular, ambient, emissive: 0 material, 1 diffuse, 2 specular
uniform vec4 uMaterialDiffuse;
uniform vec4 uMaterialAmbient;
uniform vec4 uMaterialSpecular;
uniform vec4 uMaterialEmissive;
uniform float uMaterialPower;
uniform vec4 uGlobalAmbient;
uniform int uLightCount;
uniform vec4 uLightDiffuse[MAX_LIGHTS];
uniform vec4 uLightSpecular[MAX_LIGHTS];
uniform vec4 uLightAmbient[MAX_LIGHTS];
uniform vec4 uLightPosition[MAX_LIGHTS];    // xyz position, w range
uniform vec4 uLightDirection[MAX_LIGHTS];   // xyz unit direction, w type
uniform vec4 uLightAttenuation[MAX_LIGHTS]; // attenuation 0, 1, 2, falloff
uniform vec2 uLightCone[MAX_LIGHTS];        // cos(theta / 2), cos(phi / 2)
uniform int uVertexFogMode;                 // 0 none, 1 exp, 2 exp2, 3 linear
uniform bool uRangeFog;
uniform vec3 uFogParams;                    // start, end, density

#ifndef PRETRANSFORMED
#define PRETRANSFORMED uPretransformed
#define LIGHTING uLighting
#define SPECULAR_ENABLE uSpecularEnable
#define COLOR_SOURCES uColorSources
#define LIGHT_COUNT uLightCount
#define VERTEX_FOG_MODE uVertexFogMode
#define NORMALIZE uNormalize
int LightType(int i)
{
    return int(uLightDirection[i].w);
}
#else
int LightType(int i)
{
    return int((LIGHT_TYPES >> uint(2 * i)) & 3u);
}
#endif

out vec4 vDiffuse;
out vec4 vSpecular;
out vec2 vTexCoord;
out float vVertexFog;
out float vEyeZ;

float FogFactor(int mode, float d)
{
    if (mode == 1)
        return exp(-d * uFogParams.z);
    if (mode == 2)
        return exp(-(d * uFogParams.z) * (d * uFogParams.z));
    if (mode == 3)
        return uFogParams.y == uFogParams.x ? (d < uFogParams.x ? 1.0 : 0.0)
                                            : (uFogParams.y - d) / (uFogParams.y - uFogParams.x);
    return 1.0;
}

vec4 Source(int source, vec4 materialColor)
{
    if (source == 1)
        return aDiffuse;
    if (source == 2)
        return aSpecular;
    return materialColor;
}

// Adds light i, of the given type, to the sums.
void AddLight(int i, int type, vec3 P, vec3 N, vec3 V, inout vec3 ambientSum, inout vec3 diffuseSum,
              inout vec3 specularSum)
{
    vec3 L;
    float atten = 1.0;
    if (type == LIGHT_POINT || type == LIGHT_SPOT) {
        vec3 toLight = uLightPosition[i].xyz - P;
        float d = length(toLight);
        if (d > uLightPosition[i].w)
            return;
        L = d > 0.0 ? toLight / d : vec3(0.0);
        vec4 a = uLightAttenuation[i];
        float denominator = a.x + a.y * d + a.z * d * d;
        atten = denominator > 0.0 ? 1.0 / denominator : 1.0;
        if (type == LIGHT_SPOT) {
            float rho = dot(-L, uLightDirection[i].xyz);
            vec2 cone = uLightCone[i];
            if (rho <= cone.y)
                atten = 0.0;
            else if (rho <= cone.x)
                atten *= pow((rho - cone.y) / (cone.x - cone.y), a.w);
        }
    } else {
        L = -uLightDirection[i].xyz;
    }
    ambientSum += atten * uLightAmbient[i].rgb;
    float nl = dot(N, L);
    if (nl > 0.0) {
        diffuseSum += atten * nl * uLightDiffuse[i].rgb;
        if (SPECULAR_ENABLE) {
            float nh = dot(N, normalize(L + V));
            if (nh > 0.0)
                specularSum += atten * pow(nh, uMaterialPower) * uLightSpecular[i].rgb;
        }
    }
}

void Light(vec3 P, vec3 N, out vec4 diffuse, out vec4 specular)
{
    vec4 md = Source(COLOR_SOURCES.x, uMaterialDiffuse);
    vec4 ms = Source(COLOR_SOURCES.y, uMaterialSpecular);
    vec4 ma = Source(COLOR_SOURCES.z, uMaterialAmbient);
    vec4 me = Source(COLOR_SOURCES.w, uMaterialEmissive);
    vec3 V = uLocalViewer ? normalize(-P) : vec3(0.0, 0.0, -1.0);
    vec3 ambientSum = vec3(0.0);
    vec3 diffuseSum = vec3(0.0);
    vec3 specularSum = vec3(0.0);
#ifdef ADD_LIGHTS
    // One call per enabled light, its index and type written out, so that no loop remains.
    ADD_LIGHTS
#else
    for (int i = 0; i < LIGHT_COUNT; ++i)
        AddLight(i, LightType(i), P, N, V, ambientSum, diffuseSum, specularSum);
#endif
    vec3 color = me.rgb + ma.rgb * (uGlobalAmbient.rgb + ambientSum) + md.rgb * diffuseSum;
    diffuse = vec4(clamp(color, 0.0, 1.0), md.a);
    specular = vec4(clamp(ms.rgb * specularSum, 0.0, 1.0), ms.a);
}

void main()
{
    vec4 clip;
    vTexCoord = aTexCoord;
    vVertexFog = 1.0;
    if (PRETRANSFORMED) {
        float w = aPosition.w != 0.0 ? 1.0 / aPosition.w : 1.0;
        clip = vec4(((aPosition.x - uViewport.x) / uViewport.z * 2.0 - 1.0) * w,
                    (1.0 - (aPosition.y - uViewport.y) / uViewport.w * 2.0) * w, aPosition.z * w, w);
        vDiffuse = aDiffuse;
        vSpecular = aSpecular;
        vEyeZ = w;
    } else {
        vec4 eye = uWorldView * vec4(aPosition.xyz, 1.0);
        clip = uProjection * eye;
        vEyeZ = eye.z;
        if (LIGHTING) {
            vec3 N = (uNormalMatrix * vec4(aNormal, 0.0)).xyz;
            if (NORMALIZE && dot(N, N) > 0.0)
                N = normalize(N);
            Light(eye.xyz, N, vDiffuse, vSpecular);
        } else {
            vDiffuse = aDiffuse;
            vSpecular = aSpecular;
        }
        if (VERTEX_FOG_MODE != 0)
            vVertexFog = clamp(FogFactor(VERTEX_FOG_MODE, uRangeFog ? length(eye.xyz) : eye.z), 0.0, 1.0);
    }
    // The framebuffer is drawn top row first, as the screen, so that edges on pixel centres fall
    // on the same side. Depth runs from 0 to w; pixel centres lie on whole screen coordinates.
    clip.y = -clip.y;
    clip.z = 2.0 * clip.z - clip.w;
    clip.x += clip.w / uViewport.z;
    clip.y += clip.w / uViewport.w;
    gl_Position = clip;
}
)";

const char *const kFragmentShader = R"(
in vec4 vDiffuse;
in vec4 vSpecular;
in vec2 vTexCoord;
in float vVertexFog;
in float vEyeZ;

uniform sampler2D uTexture;
uniform bool uTextureBound;       // an empty stage reads as white
uniform ivec3 uColorStage;        // operation, argument 1, argument 2
uniform ivec3 uAlphaStage;
uniform bool uSpecularAdd;
uniform int uPixelFogMode;        // 0 none, 4 vertex fog, else the table mode
uniform vec3 uFogParams;
uniform vec3 uFogColor;

#ifndef TEXTURE_BOUND
#define TEXTURE_BOUND uTextureBound
#define COLOR_STAGE uColorStage
#define ALPHA_STAGE uAlphaStage
#define SPECULAR_ADD uSpecularAdd
#define PIXEL_FOG_MODE uPixelFogMode
#endif

out vec4 fragColor;

const int TOP_DISABLE = 1;
const int TOP_SELECTARG1 = 2;
const int TOP_SELECTARG2 = 3;
const int TOP_MODULATE = 4;
const int TA_TEXTURE = 2;

vec4 Argument(int arg, vec4 texel)
{
    // At stage 0 the current colour is the diffuse colour.
    return (arg & 15) == TA_TEXTURE ? texel : vDiffuse;
}

vec4 Combine(ivec3 stage, vec4 texel)
{
    vec4 a1 = Argument(stage.y, texel);
    vec4 a2 = Argument(stage.z, texel);
    if (stage.x == TOP_SELECTARG1)
        return a1;
    if (stage.x == TOP_SELECTARG2)
        return a2;
    if (stage.x == TOP_MODULATE)
        return a1 * a2;
    return vDiffuse;
}

void main()
{
    vec4 texel = TEXTURE_BOUND ? texture(uTexture, vTexCoord) : vec4(1.0);
    vec4 color = vDiffuse;
    if (COLOR_STAGE.x != TOP_DISABLE) {
        color.rgb = Combine(COLOR_STAGE, texel).rgb;
        color.a = Combine(ALPHA_STAGE, texel).a;
    }
    if (SPECULAR_ADD)
        color.rgb = min(color.rgb + vSpecular.rgb, vec3(1.0));
    float f = 1.0;
    if (PIXEL_FOG_MODE == 4) {
        f = vVertexFog;
    } else if (PIXEL_FOG_MODE != 0) {
        float d = vEyeZ;
        if (PIXEL_FOG_MODE == 1)
            f = exp(-d * uFogParams.z);
        else if (PIXEL_FOG_MODE == 2)
            f = exp(-(d * uFogParams.z) * (d * uFogParams.z));
        else
            f = uFogParams.y == uFogParams.x ? (d < uFogParams.x ? 1.0 : 0.0)
                                             : (uFogParams.y - d) / (uFogParams.y - uFogParams.x);
        f = clamp(f, 0.0, 1.0);
    }
    if (PIXEL_FOG_MODE != 0)
        color.rgb = mix(uFogColor, color.rgb, f);
    fragColor = color;
}
)";

GLuint Compile(GLenum type, const char *source, const std::string &defines, std::string *log)
{
    GLuint shader = glCreateShader(type);
    const char *parts[3] = {"#version 330 core\n", defines.c_str(), source};
    glShaderSource(shader, 3, parts, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char text[4096] = {};
        glGetShaderInfoLog(shader, sizeof text - 1, nullptr, text);
        if (log)
            *log += text;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}
} // namespace

CZNFixedFunctionProgram::~CZNFixedFunctionProgram()
{
    if (m_program)
        glDeleteProgram(m_program);
}

std::string CZNFixedFunctionProgram::Variant::Defines() const
{
    std::string d;
    auto line = [&d](const char *name, const std::string &value) {
        d += std::string("#define ") + name + " " + value + "\n";
    };
    auto flag = [](int v) { return std::string(v ? "true" : "false"); };
    auto ivec = [](const int *v, int n) {
        std::string out = n == 3 ? "ivec3(" : "ivec4(";
        for (int i = 0; i < n; ++i)
            out += std::to_string(v[i]) + (i + 1 < n ? "," : ")");
        return out;
    };
    line("PRETRANSFORMED", flag(pretransformed));
    line("LIGHTING", flag(lighting));
    line("NORMALIZE", flag(normalize));
    line("SPECULAR_ENABLE", flag(specular));
    line("COLOR_SOURCES", ivec(colorSources, 4));
    line("LIGHT_COUNT", std::to_string(lightCount));
    line("LIGHT_TYPES", std::to_string(lightTypes) + "u");
    std::string calls;
    for (int i = 0; i < lightCount; ++i)
        calls += " AddLight(" + std::to_string(i) + ", " + std::to_string((lightTypes >> (2 * i)) & 3u) +
                 ", P, N, V, ambientSum, diffuseSum, specularSum);";
    line("ADD_LIGHTS", calls);
    line("VERTEX_FOG_MODE", std::to_string(vertexFog));
    line("TEXTURE_BOUND", flag(textureBound));
    line("COLOR_STAGE", ivec(colorStage, 3));
    line("ALPHA_STAGE", ivec(alphaStage, 3));
    line("SPECULAR_ADD", flag(specularAdd));
    line("PIXEL_FOG_MODE", std::to_string(pixelFog));
    return d;
}

bool CZNFixedFunctionProgram::Build(std::string *log, const Variant *variant)
{
    const std::string defines = variant ? variant->Defines() : std::string();
    GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader, defines, log);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader, defines, log);
    if (!vs || !fs) {
        if (vs)
            glDeleteShader(vs);
        if (fs)
            glDeleteShader(fs);
        return false;
    }
    m_program = glCreateProgram();
    glAttachShader(m_program, vs);
    glAttachShader(m_program, fs);
    glLinkProgram(m_program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(m_program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char text[4096] = {};
        glGetProgramInfoLog(m_program, sizeof text - 1, nullptr, text);
        if (log)
            *log += text;
        glDeleteProgram(m_program);
        m_program = 0;
        return false;
    }
    auto at = [this](const char *name) { return glGetUniformLocation(m_program, name); };
    Locations &l = m_locations;
    l.worldView = at("uWorldView");
    l.projection = at("uProjection");
    l.normalMatrix = at("uNormalMatrix");
    l.viewport = at("uViewport");
    l.pretransformed = at("uPretransformed");
    l.lighting = at("uLighting");
    l.normalize = at("uNormalize");
    l.localViewer = at("uLocalViewer");
    l.specularEnable = at("uSpecularEnable");
    l.colorSources = at("uColorSources");
    l.materialDiffuse = at("uMaterialDiffuse");
    l.materialAmbient = at("uMaterialAmbient");
    l.materialSpecular = at("uMaterialSpecular");
    l.materialEmissive = at("uMaterialEmissive");
    l.materialPower = at("uMaterialPower");
    l.globalAmbient = at("uGlobalAmbient");
    l.lightCount = at("uLightCount");
    l.lightDiffuse = at("uLightDiffuse");
    l.lightSpecular = at("uLightSpecular");
    l.lightAmbient = at("uLightAmbient");
    l.lightPosition = at("uLightPosition");
    l.lightDirection = at("uLightDirection");
    l.lightAttenuation = at("uLightAttenuation");
    l.lightCone = at("uLightCone");
    l.vertexFogMode = at("uVertexFogMode");
    l.rangeFog = at("uRangeFog");
    l.fogParams = at("uFogParams");
    l.texture = at("uTexture");
    l.textureBound = at("uTextureBound");
    l.colorStage = at("uColorStage");
    l.alphaStage = at("uAlphaStage");
    l.specularAdd = at("uSpecularAdd");
    l.pixelFogMode = at("uPixelFogMode");
    l.fogColor = at("uFogColor");
    return true;
}
