// The texture store: BMP and JPEG pictures decoded by media. Loading only reads a file's header
// and hands out the id; the pixels are decoded when the texture is first drawn and uploaded then,
// so a content folder of thousands of photos costs only the few that are ever shown.
#include <SDL_opengl.h>

#include <GL/glu.h>

#include <algorithm>
#include <fstream>

#include "EngineParts.h"
#include "media/Picture.h"

namespace exg {

namespace {

enum class PictureKind { Unknown, Bmp, Jpeg, Unopenable };

// Decides by content, not by name: a renamed picture still loads, a text file does not.
PictureKind SniffPicture(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return PictureKind::Unopenable;
    unsigned char magic[2] = {0, 0};
    in.read(reinterpret_cast<char*>(magic), 2);
    if (in.gcount() == 2 && magic[0] == 'B' && magic[1] == 'M') return PictureKind::Bmp;
    if (in.gcount() == 2 && magic[0] == 0xFF && magic[1] == 0xD8) return PictureKind::Jpeg;
    return PictureKind::Unknown;
}

bool DecodePicture(const std::string& path, media::RgbPicture& picture, std::string& why) {
    switch (SniffPicture(path)) {
        case PictureKind::Bmp:
            return media::LoadBmp(path, picture, &why);
        case PictureKind::Jpeg:
            return media::LoadJpeg(path, picture, &why);
        case PictureKind::Unopenable:
            why = "cannot be opened";
            return false;
        default:
            why = "neither a BMP nor a JPEG picture";
            return false;
    }
}

bool PowerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

int NearestPowerOfTwo(int n, int largest) {
    int p = 1;
    while (p < n && p < largest)
        p *= 2;
    return p;
}

}  // namespace

int TextureStore::LoadTexture(const char* file, int clamp, int mipmap, int /*group*/) {
    const std::string path = file ? file : "";
    std::string why;
    if (!ProbePicture(path, why)) {
        log_.Line("texture refused: " + path + " (" + why + ")");
        return 0;
    }
    Texture t;
    t.path = path;
    t.clamp = clamp != 0;
    t.mipmap = mipmap != 0;
    textures_.push_back(std::move(t));
    return static_cast<int>(textures_.size());
}

// The first use of a texture decodes it; the log says then whether it loaded. A picture whose
// pixels turn out unreadable keeps its id and draws untextured, as id 0 does.
bool TextureStore::Decode(Texture& t, int id) {
    if (t.state != TextureState::Listed) return t.state == TextureState::Decoded;
    media::RgbPicture picture;
    std::string why;
    if (!DecodePicture(t.path, picture, why)) {
        t.state = TextureState::Unreadable;
        log_.Line("texture refused: " + t.path + " (" + why + "), id " + std::to_string(id) +
                  " draws untextured");
        return false;
    }
    t.state = TextureState::Decoded;
    t.width = picture.width;
    t.height = picture.height;
    t.rgb = std::move(picture.rgb);
    log_.Line("texture loaded: " + t.path + " (" + std::to_string(t.width) + "x" +
              std::to_string(t.height) + "), id " + std::to_string(id));
    return true;
}

bool TextureStore::Upload(Texture& t) {
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glGenTextures(1, &t.name);
    glBindTexture(GL_TEXTURE_2D, t.name);
    const GLint wrap = t.clamp ? GL_CLAMP_TO_EDGE : GL_REPEAT;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // Rows arrive top row first, so texture coordinate (0, 0) is the picture's top-left.
    if (t.mipmap) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        // GLU takes any size but does not keep within the driver's largest texture: a side
        // beyond it is shrunk here first.
        GLint largest = 1024;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
        const int w = std::min(t.width, largest), h = std::min(t.height, largest);
        std::vector<std::uint8_t> fitted;
        if (w != t.width || h != t.height) {
            fitted.resize(static_cast<size_t>(w) * h * 3);
            gluScaleImage(GL_RGB, t.width, t.height, GL_UNSIGNED_BYTE, t.rgb.data(), w, h,
                          GL_UNSIGNED_BYTE, fitted.data());
        }
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, w, h, GL_RGB, GL_UNSIGNED_BYTE,
                          fitted.empty() ? t.rgb.data() : fitted.data());
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        GLint largest = 1024;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
        if (PowerOfTwo(t.width) && PowerOfTwo(t.height) && t.width <= largest &&
            t.height <= largest) {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, t.width, t.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                         t.rgb.data());
        } else {
            // A GL 1.1 texture must have power-of-two sides.
            const int w = NearestPowerOfTwo(t.width, largest);
            const int h = NearestPowerOfTwo(t.height, largest);
            std::vector<std::uint8_t> scaled(static_cast<size_t>(w) * h * 3);
            gluScaleImage(GL_RGB, t.width, t.height, GL_UNSIGNED_BYTE, t.rgb.data(), w, h,
                          GL_UNSIGNED_BYTE, scaled.data());
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE,
                         scaled.data());
        }
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    // The GL holds the pixels now.
    std::vector<std::uint8_t>().swap(t.rgb);
    return t.name != 0;
}

void TextureStore::BindTexture(int texture, int stage) {
    if (stage != 0 || !host_.Drawable()) return;
    if (texture < 1 || texture > static_cast<int>(textures_.size()) ||
        !Decode(textures_[texture - 1], texture)) {
        UnbindTexture(stage);
        return;
    }
    Texture& t = textures_[texture - 1];
    if (t.name == 0 && !t.rgb.empty()) Upload(t);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, t.name);
}

void TextureStore::UnbindTexture(int stage) {
    if (stage != 0 || !host_.Drawable()) return;
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
}

bool TextureStore::TextureSize(int texture, int& width, int& height) {
    if (texture < 1 || texture > static_cast<int>(textures_.size())) return false;
    Texture& t = textures_[texture - 1];
    if (!Decode(t, texture)) return false;
    width = t.width;
    height = t.height;
    return true;
}

}  // namespace exg
