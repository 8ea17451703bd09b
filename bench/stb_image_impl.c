/* The reference decoder of Debian's stb_image header for the picture
   benchmark (Targa, Photoshop and PPM files), compiled once here. */
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#include "stb_image.h"
