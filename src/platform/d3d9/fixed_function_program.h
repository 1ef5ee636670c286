#pragma once

// The one OpenGL program the device draws with: per-vertex lighting with the point, spot and
// directional formulas of the fixed-function pipeline, material colours and their sources,
// vertex and table fog, texture stage 0 and the specular sum.
#include <string>

constexpr int ZN_MAX_ACTIVE_LIGHTS = 16;

class CZNFixedFunctionProgram
{
public:
    CZNFixedFunctionProgram() = default;
    ~CZNFixedFunctionProgram();
    CZNFixedFunctionProgram(const CZNFixedFunctionProgram &) = delete;
    CZNFixedFunctionProgram &operator=(const CZNFixedFunctionProgram &) = delete;

    // Compiles and links; false with the compiler's log on failure.
    bool Build(std::string *log);
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
