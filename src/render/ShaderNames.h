#pragma once

// The attribute and uniform names of every shader program, one constant per
// name. Programs register and look up locations by the ADDRESS of these
// constants (ZQ::ShaderProgram), never by their text, so a name must always be
// spelled through this table: a second string with the same letters is a
// different key. `inline` gives each constant one address in the whole program.
//
// Add a program's own names here, one line each, in the block they belong to.

namespace ZQ::ShaderNames {

// clang-format off
// Uniforms shared by many programs.
inline constexpr char u_modelViewProjectionMatrix[] = "u_modelViewProjectionMatrix";
inline constexpr char u_MVMatrix[]                  = "u_MVMatrix";
inline constexpr char u_modelViewMatrix[]           = "u_modelViewMatrix";
inline constexpr char u_NMatrix[]                   = "u_NMatrix";
inline constexpr char u_normalMatrix[]              = "u_normalMatrix";
inline constexpr char u_lightPos[]                  = "u_lightPos";
inline constexpr char u_eye[]                       = "u_eye";
inline constexpr char u_alpha[]                     = "u_alpha";

// Attributes shared by many programs.
inline constexpr char a_position[] = "a_position";
inline constexpr char a_normal[]   = "a_normal";

// The wallpaper pre-pass and the room pass.
inline constexpr char u_drawHeight[]                = "u_drawHeight";
inline constexpr char u_zHeight[]                   = "u_zHeight";
inline constexpr char u_modelLightViewProjMatrix[]  = "u_modelLightViewProjMatrix";
inline constexpr char u_modelView[]                 = "u_modelView";
inline constexpr char u_Kd[]                        = "u_Kd";
inline constexpr char u_Ks[]                        = "u_Ks";
inline constexpr char u_shadowMap[]                 = "u_shadowMap";
inline constexpr char u_shadowMapStep[]             = "u_shadowMapStep";
inline constexpr char u_PCFRadius[]                 = "u_PCFRadius";
inline constexpr char u_wallpaper[]                 = "u_wallpaper";
inline constexpr char u_wallpaperHeight[]           = "u_wallpaperHeight";
inline constexpr char u_scaleTex[]                  = "u_scaleTex";
inline constexpr char a_cindex[]                    = "a_cindex";
inline constexpr char a_tex[]                       = "a_tex";

// The shadow map, cord and tangle passes.
inline constexpr char aShadowPosition[]   = "aShadowPosition";
inline constexpr char u_normalMap[]       = "u_normalMap";
inline constexpr char u_biasMinMax[]      = "u_biasMinMax";
inline constexpr char u_cameraPos[]       = "u_cameraPos";
inline constexpr char u_metalAmbient[]    = "u_material.ambient";
inline constexpr char u_metalDiffuse[]    = "u_material.diffuse";
inline constexpr char u_metalSpecular[]   = "u_material.specular";
inline constexpr char u_metalF[]          = "u_material.u_F";

// Captions and flowing letters (CaptionProgram); they also read a_tex.
inline constexpr char u_captionTex[] = "u_captionTex";

// The cone, balloon, braid, grain and particle-box programs.
inline constexpr char a_alpha[]              = "a_alpha";
inline constexpr char a_matindex[]           = "a_matindex";
inline constexpr char a_index[]              = "a_index";
inline constexpr char u_color[]              = "u_color";
inline constexpr char u_scale[]              = "u_scale";
inline constexpr char u_orientations[]       = "u_orientations";
inline constexpr char u_positionsAlpha[]     = "u_positionsAlpha";
inline constexpr char u_indexMaterials[]     = "u_indexMaterials";
inline constexpr char u_materialsAmbient[]   = "u_materials.ambient";
inline constexpr char u_materialsWarm[]      = "u_materials.warm";
inline constexpr char u_materialsCool[]      = "u_materials.cool";
inline constexpr char u_materialsSpecular[]  = "u_materials.specular";
inline constexpr char u_materialsShininess[] = "u_materials.shininess";

// The hologram pass; it also reads u_color.
inline constexpr char u_MMatrix[]        = "u_MMatrix";
inline constexpr char u_bbox_min[]       = "u_bbox_min";
inline constexpr char u_bbox_max[]       = "u_bbox_max";
inline constexpr char u_noise[]          = "u_noise";
inline constexpr char u_scanner_phase[]  = "u_scanner_phase";
inline constexpr char u_scancolor[]      = "u_scancolor";

// The tile pass; it also reads u_specular, a_tex and the shared names.
inline constexpr char u_diffuse[]   = "u_diffuse";
inline constexpr char u_shininess[] = "u_shininess";
inline constexpr char u_uitex[]     = "u_uitex";

// The mesh pass.
inline constexpr char u_ambient[]     = "u_ambient";
inline constexpr char u_specular[]    = "u_specular";
inline constexpr char u_cool[]        = "u_cool";
inline constexpr char u_warm[]        = "u_warm";
inline constexpr char u_sunPosition[] = "u_sunPosition";

// The window's copy of the finished frame (ZQEGLContext).
inline constexpr char u_screen[] = "u_screen";
// clang-format on

} // namespace ZQ::ShaderNames
