#pragma once

// The OpenGL program the device draws with: per-vertex lighting with the point, spot and
// directional formulas of the fixed-function pipeline, material colours and their sources,
// vertex and table fog, texture stage 0 and the specular sum. Built either general, reading every
// switch from uniforms, or specialised to a Variant: the switches that are on become constants, so
// that the software rasteriser runs only the work those states need. The pixels are the same.
#include <cstring>
#include <string>

constexpr int ZN_MAX_ACTIVE_LIGHTS = 16;

class CZNFixedFunctionProgram
{
public:
    CZNFixedFunctionProgram() = default;
    ~CZNFixedFunctionProgram();
    CZNFixedFunctionProgram(const CZNFixedFunctionProgram &) = delete;
    CZNFixedFunctionProgram &operator=(const CZNFixedFunctionProgram &) = delete;

    // The switches a specialised program is built for.
    struct Variant {
        int pretransformed, lighting, normalize, specular, lightCount, vertexFog, textureBound, specularAdd, pixelFog;
        unsigned lightTypes; // two bits per enabled light: 1 point, 2 spot, 3 directional
        int colorSources[4];
        int colorStage[3];
        int alphaStage[3];

        bool operator<(const Variant &o) const { return std::memcmp(this, &o, sizeof *this) < 0; }
        bool operator==(const Variant &o) const { return std::memcmp(this, &o, sizeof *this) == 0; }
        std::string Defines() const;
    };

    // Compiles and links, general or for a variant; false with the compiler's log on failure.
    bool Build(std::string *log, const Variant *variant = nullptr);
    unsigned int Program() const { return m_program; }

    // Uniform locations.
    struct Locations {
        int worldView, projection, normalMatrix, viewport, pretransformed;
        int lighting, normalize, localViewer, specularEnable, colorSources;
        int materialDiffuse, materialAmbient, materialSpecular, materialEmissive, materialPower;
        int globalAmbient, lightCount;
        int lightDiffuse, lightSpecular, lightAmbient, lightPosition, lightDirection, lightAttenuation, lightCone;
        int vertexFogMode, rangeFog, fogParams;
        int texture, textureBound, colorStage, alphaStage, specularAdd, pixelFogMode, fogColor;
    };
    const Locations &Uniforms() const { return m_locations; }

private:
    unsigned int m_program = 0;
    Locations m_locations = {};
};
