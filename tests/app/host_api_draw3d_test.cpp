// A plug-in draws a named object through the device, placed by its matrix.
#include <gtest/gtest.h>

#include <cstring>

#include "render/view3d_fixture.h"
#include "sdk/host_api.h"

namespace
{

class HostApiDraw3DTest : public ZnView3DTest
{
protected:
    // A 4 x 4 green square named "Sign", facing the camera.
    void MakeSign()
    {
        D3D().SetRenderMode(3);
        ZNBRUSH *sign = Brush();
        Rect(sign, -2, -2, 2, 2, 0, Material(0x00FF00), nullptr);
        sign->m_Name = new char[5];
        std::strcpy(sign->m_Name, "Sign");
    }
    std::vector<D3DCOLOR> Frame(const char *name, float z)
    {
        D3DXMATRIX at;
        D3DXMatrixTranslation(&at, 0, 0, z);
        D3D().Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f);
        D3D().BeginScene();
        TOVRA_DrawObject3D(name, &at, nullptr);
        D3D().EndScene();
        return BackBufferRgb();
    }
};

} // namespace

TEST_F(HostApiDraw3DTest, DrawsThePlacedObjectWhereTheMatrixPutsIt)
{
    if (HasFatalFailure())
        return;
    MakeSign();
    const std::vector<D3DCOLOR> frame = Frame("Sign", 20);
    EXPECT_EQ(At(frame, Pixel(0, 0, 20)), 0x00FF00u);
    EXPECT_EQ(At(frame, Pixel(1.5f, 1.5f, 20)), 0x00FF00u);
    EXPECT_EQ(At(frame, Pixel(3, 0, 20)), 0u) << "outside the square";

    // Behind the camera, and an unknown name: nothing reaches the frame.
    for (const std::vector<D3DCOLOR> &empty : {Frame("Sign", -20), Frame("Nothing", 20)})
        EXPECT_EQ(At(empty, Pixel(0, 0, 20)), 0u);
}
