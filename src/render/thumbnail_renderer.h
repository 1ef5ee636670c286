#pragma once

// IZNThumbnailRenderer: what the scene writer asks for a scene thumbnail. The 3D view supplies
// it to the application object; without one (headless) no thumbnail is rendered.
class CZNImage;

class IZNThumbnailRenderer
{
public:
    virtual ~IZNThumbnailRenderer() = default;
    // A new 640 x 640 capture of the scene drawn on white, owned by the caller; null on failure.
    virtual CZNImage *CaptureThumbnail() = 0;
};
