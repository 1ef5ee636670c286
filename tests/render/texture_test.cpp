#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "render/texture.h"

TEST(Texture, NameAndReferenceCount)
{
    CZNTexture texture;
    EXPECT_STREQ(texture.GetTextureName(), "");
    texture.SetTextureName("stone/wall01");
    EXPECT_STREQ(texture.GetTextureName(), "stone/wall01");
    std::string longName(2000, 'n');
    texture.SetTextureName(longName.c_str());
    EXPECT_EQ(std::strlen(texture.GetTextureName()), 1023u);
    texture.SetTextureName(nullptr);
    EXPECT_STREQ(texture.GetTextureName(), "");

    texture.IncreaseRefCount();
    texture.IncreaseRefCount();
    EXPECT_EQ(texture.GetRefCount(), 2);
    texture.DecreaseRefCount();
    texture.DecreaseRefCount();
    texture.DecreaseRefCount();
    EXPECT_EQ(texture.GetRefCount(), 0);
    EXPECT_EQ(texture.GetTextureDimensions(nullptr, nullptr), 0);

    texture.SetTextureName("gone");
    texture.Release();
    EXPECT_STREQ(texture.GetTextureName(), "");
}
