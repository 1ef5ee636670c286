#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "render/texture.h"
#include "scene/material.h"

TEST(Material, NewRecordHasItsDefaults)
{
    CZNMATERIAL m;
    D3DMATERIAL9 d = m.GetD3DMaterial();
    const float expected[17] = {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(&d, expected, sizeof(d)), 0);
    EXPECT_EQ(m.GetReferenceCount(), 0);
    D3DLIGHT9 l = m.GetLight();
    EXPECT_EQ(l.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(l.Diffuse.r, 1.0f);
    EXPECT_EQ(l.Diffuse.a, 1.0f);
    EXPECT_EQ(l.Specular.g, 1.0f);
    EXPECT_EQ(l.Ambient.r, 0.0f);
    EXPECT_EQ(l.Ambient.a, 1.0f);
    // The direction is kept as given, not normalised.
    EXPECT_EQ(l.Direction.x, -1.0f);
    EXPECT_EQ(l.Direction.y, -0.3f);
    EXPECT_EQ(l.Direction.z, 0.4f);
    EXPECT_EQ(l.Position.x, 0.0f);
    EXPECT_EQ(l.Range, 0.0f);
    EXPECT_EQ(l.Phi, 0.0f);
    EXPECT_EQ(m.GetTexture(), nullptr);
    EXPECT_STREQ(m.GetName(), "New Material");
    EXPECT_EQ(m.GetID(), 0u);
}

TEST(Material, ReferencesNeverGoBelowZero)
{
    CZNMATERIAL m;
    EXPECT_EQ(m.ReleaseReference(), 0);
    EXPECT_EQ(m.GetReferenceCount(), 0);
    EXPECT_EQ(m.AddReference(), 1);
    EXPECT_EQ(m.AddReference(), 2);
    EXPECT_EQ(m.ReleaseReference(), 1);
    EXPECT_EQ(m.ReleaseReference(), 0);
    EXPECT_EQ(m.ReleaseReference(), 0);
}

TEST(Material, SettersCopyAndIgnoreNull)
{
    CZNMATERIAL m;
    D3DMATERIAL9 d{};
    d.Emissive = {1, 0, 0, 0.5f};
    d.Power = 8;
    m.SetD3DMaterial(&d);
    m.SetD3DMaterial(nullptr);
    EXPECT_EQ(m.GetD3DMaterial().Emissive.r, 1.0f);
    EXPECT_EQ(m.GetD3DMaterial().Power, 8.0f);

    D3DLIGHT9 l = m.GetLight();
    l.Diffuse = {0.5f, 0.25f, 0, 1};
    m.SetLight(&l);
    m.SetLight(nullptr);
    EXPECT_EQ(m.GetLight().Diffuse.g, 0.25f);

    m.SetName("Brick");
    m.SetName(nullptr);
    EXPECT_STREQ(m.GetName(), "Brick");
    m.SetName(m.GetName());
    EXPECT_STREQ(m.GetName(), "Brick");

    // A name longer than the field is cut to 255 characters.
    std::string longName(400, 'x');
    m.SetName(longName.c_str());
    EXPECT_EQ(std::strlen(m.GetName()), 255u);

    CZNTexture texture;
    m.SetTexture(&texture);
    EXPECT_EQ(m.GetTexture(), &texture);
    EXPECT_EQ(texture.GetRefCount(), 0); // the record holds no reference
    m.SetTexture(nullptr);
    EXPECT_EQ(m.GetTexture(), nullptr);
    m.SetID(12);
    EXPECT_EQ(m.GetID(), 12u);
}
