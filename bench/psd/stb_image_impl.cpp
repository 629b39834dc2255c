// The stb_image peer of the PSD benchmark, built once with its own implementation.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PSD
#include <stb/stb_image.h>
