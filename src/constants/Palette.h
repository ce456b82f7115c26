#pragma once

#include <array>

#include "constants/VectorConstants.h"
#include "engine/PVRTVector.h"

// The fixed palette every colour of the game is taken from: room, wallpaper and
// cord materials of the level catalogue, tiles, render tables and colour fades
// name the colour they want (ZQ::Palette::gold). Values are the decimals the
// artists chose (red, green, blue in [0, 1]), not bytes divided by 255.
// constexpr, so reading a colour from another file's static initialiser is safe.

namespace ZQ::Palette {

// clang-format off
// Whites, 0 to 29
inline constexpr PVRTVec3 antiqueWhite       {0.9804f, 0.9216f, 0.8431f};   // 0
inline constexpr PVRTVec3 azure              {0.9412f, 1.0f,    1.0f};      // 1
inline constexpr PVRTVec3 bisque             {1.0f,    0.8941f, 0.7686f};   // 2
inline constexpr PVRTVec3 blanchedAlmond     {1.0f,    0.9216f, 0.8039f};   // 3
inline constexpr PVRTVec3 cornsilk           {1.0f,    0.9725f, 0.8627f};   // 4
inline constexpr PVRTVec3 eggshell           {0.99f,   0.9f,    0.79f};     // 5
inline constexpr PVRTVec3 floralWhite        {1.0f,    0.9804f, 0.9412f};   // 6
inline constexpr PVRTVec3 gainsboro          {0.8627f, 0.8627f, 0.8627f};   // 7
inline constexpr PVRTVec3 ghostWhite         {0.9725f, 0.9725f, 1.0f};      // 8
inline constexpr PVRTVec3 honeydew           {0.9412f, 1.0f,    0.9412f};   // 9
inline constexpr PVRTVec3 ivory              {1.0f,    1.0f,    0.9412f};   // 10
inline constexpr PVRTVec3 lavender           {0.902f,  0.902f,  0.9804f};   // 11
inline constexpr PVRTVec3 lavenderBlush      {1.0f,    0.9412f, 0.9608f};   // 12
inline constexpr PVRTVec3 lemonChiffon       {1.0f,    0.9804f, 0.8039f};   // 13
inline constexpr PVRTVec3 linen              {0.9804f, 0.9412f, 0.902f};    // 14
inline constexpr PVRTVec3 mintCream          {0.9608f, 1.0f,    0.9804f};   // 15
inline constexpr PVRTVec3 mistyRose          {1.0f,    0.8941f, 0.8824f};   // 16
inline constexpr PVRTVec3 moccasin           {1.0f,    0.8941f, 0.7098f};   // 17
inline constexpr PVRTVec3 navajoWhite        {1.0f,    0.8706f, 0.6784f};   // 18
inline constexpr PVRTVec3 oldLace            {0.9922f, 0.9608f, 0.902f};    // 19
inline constexpr PVRTVec3 papayaWhip         {1.0f,    0.9373f, 0.8353f};   // 20
inline constexpr PVRTVec3 peachPuff          {1.0f,    0.8549f, 0.7255f};   // 21
inline constexpr PVRTVec3 seashell           {1.0f,    0.9608f, 0.9333f};   // 22
inline constexpr PVRTVec3 snow               {1.0f,    0.9804f, 0.9804f};   // 23
inline constexpr PVRTVec3 thistle            {0.8471f, 0.749f,  0.8471f};   // 24
inline constexpr PVRTVec3 titaniumWhite      {0.99f,   1.0f,    0.94f};     // 25
inline constexpr PVRTVec3 wheat              {0.9608f, 0.8706f, 0.702f};    // 26
inline constexpr PVRTVec3 white              {1.0f,    1.0f,    1.0f};      // 27
inline constexpr PVRTVec3 whiteSmoke         {0.9608f, 0.9608f, 0.9608f};   // 28
inline constexpr PVRTVec3 zincWhite          {0.99f,   0.97f,   1.0f};      // 29
// Greys, 30 to 37
inline constexpr PVRTVec3 coldGrey           {0.5f,    0.54f,   0.53f};     // 30
inline constexpr PVRTVec3 dimGrey            {0.4118f, 0.4118f, 0.4118f};   // 31
inline constexpr PVRTVec3 grey               {0.7529f, 0.7529f, 0.7529f};   // 32
inline constexpr PVRTVec3 lightGrey          {0.8275f, 0.8275f, 0.8275f};   // 33
inline constexpr PVRTVec3 slateGrey          {0.4392f, 0.502f,  0.5647f};   // 34
inline constexpr PVRTVec3 slateGreyDark      {0.1843f, 0.3098f, 0.3098f};   // 35
inline constexpr PVRTVec3 slateGreyLight     {0.4667f, 0.5333f, 0.6f};      // 36
inline constexpr PVRTVec3 warmGrey           {0.5f,    0.5f,    0.41f};     // 37
// Blacks, 38 to 40
inline constexpr PVRTVec3 black              {0.0f,    0.0f,    0.0f};      // 38
inline constexpr PVRTVec3 ivoryBlack         {0.16f,   0.14f,   0.13f};     // 39
inline constexpr PVRTVec3 lampBlack          {0.18f,   0.28f,   0.23f};     // 40
// Reds, 41 to 62
inline constexpr PVRTVec3 alizarinCrimson    {0.89f,   0.15f,   0.21f};     // 41
inline constexpr PVRTVec3 brick              {0.61f,   0.4f,    0.12f};     // 42
inline constexpr PVRTVec3 cadmiumRedDeep     {0.89f,   0.09f,   0.05f};     // 43
inline constexpr PVRTVec3 coral              {1.0f,    0.498f,  0.3137f};   // 44
inline constexpr PVRTVec3 coralLight         {0.9412f, 0.502f,  0.502f};    // 45
inline constexpr PVRTVec3 deepPink           {1.0f,    0.0784f, 0.5765f};   // 46
inline constexpr PVRTVec3 englishRed         {0.83f,   0.24f,   0.1f};      // 47
inline constexpr PVRTVec3 firebrick          {0.698f,  0.1333f, 0.1333f};   // 48
inline constexpr PVRTVec3 geraniumLake       {0.89f,   0.07f,   0.19f};     // 49
inline constexpr PVRTVec3 hotPink            {1.0f,    0.4118f, 0.7059f};   // 50
inline constexpr PVRTVec3 indianRed          {0.69f,   0.09f,   0.12f};     // 51
inline constexpr PVRTVec3 lightSalmon        {1.0f,    0.6275f, 0.4784f};   // 52
inline constexpr PVRTVec3 madderLakeDeep     {0.89f,   0.18f,   0.19f};     // 53
inline constexpr PVRTVec3 maroon             {0.6902f, 0.1882f, 0.3765f};   // 54
inline constexpr PVRTVec3 pink               {1.0f,    0.7529f, 0.7961f};   // 55
inline constexpr PVRTVec3 pinkLight          {1.0f,    0.7137f, 0.7569f};   // 56
inline constexpr PVRTVec3 raspberry          {0.53f,   0.15f,   0.34f};     // 57
inline constexpr PVRTVec3 red                {1.0f,    0.0f,    0.0f};      // 58
inline constexpr PVRTVec3 roseMadder         {0.89f,   0.21f,   0.22f};     // 59
inline constexpr PVRTVec3 salmon             {0.9804f, 0.502f,  0.4471f};   // 60
inline constexpr PVRTVec3 tomato             {1.0f,    0.3882f, 0.2784f};   // 61
inline constexpr PVRTVec3 venetianRed        {0.83f,   0.1f,    0.12f};     // 62
// Browns, 63 to 88
inline constexpr PVRTVec3 beige              {0.64f,   0.58f,   0.5f};      // 63
inline constexpr PVRTVec3 brown              {0.5f,    0.1647f, 0.1647f};   // 64
inline constexpr PVRTVec3 brownMadder        {0.86f,   0.16f,   0.16f};     // 65
inline constexpr PVRTVec3 brownOchre         {0.53f,   0.26f,   0.12f};     // 66
inline constexpr PVRTVec3 burlywood          {0.8706f, 0.7216f, 0.5294f};   // 67
inline constexpr PVRTVec3 burntSienna        {0.54f,   0.21f,   0.06f};     // 68
inline constexpr PVRTVec3 burntUmber         {0.54f,   0.2f,    0.14f};     // 69
inline constexpr PVRTVec3 chocolate          {0.8235f, 0.4118f, 0.1176f};   // 70
inline constexpr PVRTVec3 deepOchre          {0.45f,   0.24f,   0.1f};      // 71
inline constexpr PVRTVec3 flesh              {1.0f,    0.49f,   0.25f};     // 72
inline constexpr PVRTVec3 fleshOchre         {1.0f,    0.34f,   0.13f};     // 73
inline constexpr PVRTVec3 goldOchre          {0.78f,   0.47f,   0.15f};     // 74
inline constexpr PVRTVec3 greenishUmber      {1.0f,    0.24f,   0.05f};     // 75
inline constexpr PVRTVec3 khaki              {0.9412f, 0.902f,  0.549f};    // 76
inline constexpr PVRTVec3 khakiDark          {0.7412f, 0.7176f, 0.4196f};   // 77
inline constexpr PVRTVec3 lightBeige         {0.9608f, 0.9608f, 0.8627f};   // 78
inline constexpr PVRTVec3 peru               {0.8039f, 0.5216f, 0.2471f};   // 79
inline constexpr PVRTVec3 rosyBrown          {0.7373f, 0.5608f, 0.5608f};   // 80
inline constexpr PVRTVec3 rawSienna          {0.78f,   0.38f,   0.08f};     // 81
inline constexpr PVRTVec3 rawUmber           {0.45f,   0.29f,   0.07f};     // 82
inline constexpr PVRTVec3 sepia              {0.37f,   0.15f,   0.07f};     // 83
inline constexpr PVRTVec3 sienna             {0.6275f, 0.3216f, 0.1765f};   // 84
inline constexpr PVRTVec3 saddleBrown        {0.5451f, 0.2706f, 0.0745f};   // 85
inline constexpr PVRTVec3 sandyBrown         {0.9569f, 0.6431f, 0.3765f};   // 86
inline constexpr PVRTVec3 tan                {0.8235f, 0.7059f, 0.549f};    // 87
inline constexpr PVRTVec3 vanDykeBrown       {0.37f,   0.15f,   0.02f};     // 88
// Oranges, 89 to 97
inline constexpr PVRTVec3 cadmiumOrange      {1.0f,    0.38f,   0.01f};     // 89
inline constexpr PVRTVec3 cadmiumRedLight    {1.0f,    0.01f,   0.05f};     // 90
inline constexpr PVRTVec3 carrot             {0.93f,   0.57f,   0.13f};     // 91
inline constexpr PVRTVec3 darkOrange         {1.0f,    0.549f,  0.0f};      // 92
inline constexpr PVRTVec3 marsOrange         {0.59f,   0.27f,   0.08f};     // 93
inline constexpr PVRTVec3 marsYellow         {0.89f,   0.44f,   0.1f};      // 94
inline constexpr PVRTVec3 orange             {1.0f,    0.5f,    0.0f};      // 95
inline constexpr PVRTVec3 orangeRed          {1.0f,    0.2706f, 0.0f};      // 96
inline constexpr PVRTVec3 yellowOchre        {0.89f,   0.51f,   0.09f};     // 97
// Yellows, 98 to 111
inline constexpr PVRTVec3 aureolineYellow    {1.0f,    0.66f,   0.14f};     // 98
inline constexpr PVRTVec3 banana             {0.89f,   0.81f,   0.34f};     // 99
inline constexpr PVRTVec3 cadmiumLemon       {1.0f,    0.89f,   0.01f};     // 100
inline constexpr PVRTVec3 cadmiumYellow      {1.0f,    0.6f,    0.07f};     // 101
inline constexpr PVRTVec3 gold               {1.0f,    0.8431f, 0.0f};      // 102
inline constexpr PVRTVec3 goldenrod          {0.8549f, 0.6471f, 0.1255f};   // 103
inline constexpr PVRTVec3 goldenrodDark      {0.7216f, 0.5255f, 0.0431f};   // 104
inline constexpr PVRTVec3 goldenrodLight     {0.9804f, 0.9804f, 0.8235f};   // 105
inline constexpr PVRTVec3 goldenrodPale      {0.9333f, 0.9098f, 0.6667f};   // 106
inline constexpr PVRTVec3 lightGoldenrod     {0.9333f, 0.8667f, 0.5098f};   // 107
inline constexpr PVRTVec3 melon              {0.89f,   0.66f,   0.41f};     // 108
inline constexpr PVRTVec3 naplesYellowDeep   {1.0f,    0.66f,   0.07f};     // 109
inline constexpr PVRTVec3 yellow             {1.0f,    1.0f,    0.0f};      // 110
inline constexpr PVRTVec3 yellowLight        {1.0f,    1.0f,    0.8784f};   // 111
// Greens, 112 to 138
inline constexpr PVRTVec3 chartreuse         {0.498f,  1.0f,    0.0f};      // 112
inline constexpr PVRTVec3 chromeOxideGreen   {0.4f,    0.5f,    0.08f};     // 113
inline constexpr PVRTVec3 cinnabarGreen      {0.38f,   0.7f,    0.16f};     // 114
inline constexpr PVRTVec3 cobaltGreen        {0.24f,   0.57f,   0.25f};     // 115
inline constexpr PVRTVec3 emeraldGreen       {0.0f,    0.79f,   0.34f};     // 116
inline constexpr PVRTVec3 forestGreen        {0.1333f, 0.5451f, 0.1333f};   // 117
inline constexpr PVRTVec3 green              {0.0f,    1.0f,    0.0f};      // 118
inline constexpr PVRTVec3 greenDark          {0.0f,    0.3922f, 0.0f};      // 119
inline constexpr PVRTVec3 greenPale          {0.5961f, 0.9843f, 0.5961f};   // 120
inline constexpr PVRTVec3 greenYellow        {0.6784f, 1.0f,    0.1843f};   // 121
inline constexpr PVRTVec3 lawnGreen          {0.4863f, 0.9882f, 0.0f};      // 122
inline constexpr PVRTVec3 limeGreen          {0.1961f, 0.8039f, 0.1961f};   // 123
inline constexpr PVRTVec3 mint               {0.74f,   0.99f,   0.79f};     // 124
inline constexpr PVRTVec3 olive              {0.23f,   0.37f,   0.17f};     // 125
inline constexpr PVRTVec3 oliveDrab          {0.4196f, 0.5569f, 0.1373f};   // 126
inline constexpr PVRTVec3 oliveGreenDark     {0.3333f, 0.4196f, 0.1843f};   // 127
inline constexpr PVRTVec3 permanentGreen     {0.04f,   0.79f,   0.17f};     // 128
inline constexpr PVRTVec3 sapGreen           {0.19f,   0.5f,    0.08f};     // 129
inline constexpr PVRTVec3 seaGreen           {0.1804f, 0.5451f, 0.3412f};   // 130
inline constexpr PVRTVec3 seaGreenDark       {0.5608f, 0.7373f, 0.5608f};   // 131
inline constexpr PVRTVec3 seaGreenMedium     {0.2353f, 0.702f,  0.4431f};   // 132
inline constexpr PVRTVec3 seaGreenLight      {0.1255f, 0.698f,  0.6667f};   // 133
inline constexpr PVRTVec3 springGreen        {0.0f,    1.0f,    0.498f};    // 134
inline constexpr PVRTVec3 springGreenMedium  {0.0f,    0.9804f, 0.6039f};   // 135
inline constexpr PVRTVec3 terreVerte         {0.22f,   0.37f,   0.06f};     // 136
inline constexpr PVRTVec3 viridianLight      {0.43f,   1.0f,    0.44f};     // 137
inline constexpr PVRTVec3 yellowGreen        {0.6039f, 0.8039f, 0.1961f};   // 138
// Cyans, 139 to 146
inline constexpr PVRTVec3 aquamarine         {0.498f,  1.0f,    0.8314f};   // 139
inline constexpr PVRTVec3 aquamarineMedium   {0.4f,    0.8039f, 0.6667f};   // 140
inline constexpr PVRTVec3 cyan               {0.0f,    1.0f,    1.0f};      // 141
inline constexpr PVRTVec3 cyanWhite          {0.8784f, 1.0f,    1.0f};      // 142
inline constexpr PVRTVec3 turquoise          {0.251f,  0.8784f, 0.8157f};   // 143
inline constexpr PVRTVec3 turquoiseDark      {0.0f,    0.8078f, 0.8196f};   // 144
inline constexpr PVRTVec3 turquoiseMedium    {0.2824f, 0.8196f, 0.8f};      // 145
inline constexpr PVRTVec3 turquoisePale      {0.6863f, 0.9333f, 0.9333f};   // 146
// Blues, 147 to 173
inline constexpr PVRTVec3 aliceBlue          {0.9412f, 0.9725f, 1.0f};      // 147
inline constexpr PVRTVec3 blue               {0.0f,    0.0f,    1.0f};      // 148
inline constexpr PVRTVec3 blueLight          {0.6784f, 0.8471f, 0.902f};    // 149
inline constexpr PVRTVec3 blueMedium         {0.0f,    0.0f,    0.8039f};   // 150
inline constexpr PVRTVec3 cadet              {0.3725f, 0.6196f, 0.6275f};   // 151
inline constexpr PVRTVec3 cobalt             {0.24f,   0.35f,   0.67f};     // 152
inline constexpr PVRTVec3 cornflower         {0.3922f, 0.5843f, 0.9294f};   // 153
inline constexpr PVRTVec3 cerulean           {0.02f,   0.72f,   0.8f};      // 154
inline constexpr PVRTVec3 dodgerBlue         {0.1176f, 0.5647f, 1.0f};      // 155
inline constexpr PVRTVec3 indigo             {0.03f,   0.18f,   0.33f};     // 156
inline constexpr PVRTVec3 manganeseBlue      {0.01f,   0.66f,   0.62f};     // 157
inline constexpr PVRTVec3 midnightBlue       {0.098f,  0.098f,  0.4392f};   // 158
inline constexpr PVRTVec3 navy               {0.0f,    0.0f,    0.502f};    // 159
inline constexpr PVRTVec3 peacock            {0.2f,    0.63f,   0.79f};     // 160
inline constexpr PVRTVec3 powderBlue         {0.6902f, 0.8784f, 0.902f};    // 161
inline constexpr PVRTVec3 royalBlue          {0.2549f, 0.4118f, 0.8824f};   // 162
inline constexpr PVRTVec3 slateBlue          {0.4157f, 0.3529f, 0.8039f};   // 163
inline constexpr PVRTVec3 slateBlueDark      {0.2824f, 0.2392f, 0.5451f};   // 164
inline constexpr PVRTVec3 slateBlueLight     {0.5176f, 0.4392f, 1.0f};      // 165
inline constexpr PVRTVec3 slateBlueMedium    {0.4824f, 0.4078f, 0.9333f};   // 166
inline constexpr PVRTVec3 skyBlue            {0.5294f, 0.8078f, 0.9216f};   // 167
inline constexpr PVRTVec3 skyBlueDeep        {0.0f,    0.749f,  1.0f};      // 168
inline constexpr PVRTVec3 skyBlueLight       {0.5294f, 0.8078f, 0.9804f};   // 169
inline constexpr PVRTVec3 steelBlue          {0.2745f, 0.5098f, 0.7059f};   // 170
inline constexpr PVRTVec3 steelBlueLight     {0.6902f, 0.7686f, 0.8706f};   // 171
inline constexpr PVRTVec3 turquoiseBlue      {0.0f,    0.78f,   0.55f};     // 172
inline constexpr PVRTVec3 ultramarine        {0.07f,   0.04f,   0.56f};     // 173
// Magentas, 174 to 189
inline constexpr PVRTVec3 blueViolet         {0.5412f, 0.1686f, 0.8863f};   // 174
inline constexpr PVRTVec3 cobaltVioletDeep   {0.57f,   0.13f,   0.62f};     // 175
inline constexpr PVRTVec3 magenta            {1.0f,    0.0f,    1.0f};      // 176
inline constexpr PVRTVec3 orchid             {0.8549f, 0.4392f, 0.8392f};   // 177
inline constexpr PVRTVec3 orchidDark         {0.6f,    0.1961f, 0.8f};      // 178
inline constexpr PVRTVec3 orchidMedium       {0.7294f, 0.3333f, 0.8275f};   // 179
inline constexpr PVRTVec3 permanentRedViolet {0.86f,   0.15f,   0.27f};     // 180
inline constexpr PVRTVec3 plum               {0.8667f, 0.6275f, 0.8667f};   // 181
inline constexpr PVRTVec3 purple             {0.6275f, 0.1255f, 0.9412f};   // 182
inline constexpr PVRTVec3 purpleMedium       {0.5765f, 0.4392f, 0.8588f};   // 183
inline constexpr PVRTVec3 ultramarineViolet  {0.36f,   0.14f,   0.43f};     // 184
inline constexpr PVRTVec3 violet             {0.56f,   0.37f,   0.6f};      // 185
inline constexpr PVRTVec3 violetDark         {0.5804f, 0.0f,    0.8275f};   // 186
inline constexpr PVRTVec3 violetRed          {0.8157f, 0.1255f, 0.5647f};   // 187
inline constexpr PVRTVec3 violetRedMedium    {0.7804f, 0.0824f, 0.5216f};   // 188
inline constexpr PVRTVec3 violetRedPale      {0.8588f, 0.4392f, 0.5765f};   // 189
// clang-format on

} // namespace ZQ::Palette

namespace ZQ {

inline constexpr int kPaletteSize = 190;

struct PaletteEntry {
    const char* name;
    const PVRTVec3* colour;
};

// Every palette colour with its name, in declaration order (families from the
// whites to the magentas). For tools and checks; game code names its colours.
const std::array<PaletteEntry, kPaletteSize>& paletteEntries();

} // namespace ZQ
