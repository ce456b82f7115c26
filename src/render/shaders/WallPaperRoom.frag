// A room wall lit per fragment from its wallpaper: the colour texture gives
// the relief normal and the material slot, the height texture displaces the
// surface along the box's depth axis; with room shadows a rotated nine-sample
// filter over the shadow map darkens it down to 0.73.
struct Material {
    vec3 ambient;
    vec3 diffuse;
    vec3 specular;
    float shininess;
    vec3 cool;
};

uniform mat3 u_normalMatrix;
uniform mat4 u_modelLightViewProjMatrix;
uniform mat4 u_modelView;
uniform vec4 u_lightPos;
uniform vec4 u_eye;
uniform float u_Kd;
uniform float u_Ks;
uniform sampler2D u_wallpaper;
uniform sampler2D u_wallpaperHeight;
uniform float u_zHeight;
uniform Material u_material[4];

#ifdef SHADOW_ROOM_ON
uniform sampler2D u_shadowMap;
uniform vec2 u_shadowMapStep;
uniform float u_PCFRadius;
#endif

varying vec2 v_tex;
varying vec3 v_position;

#ifdef SHADOW_ROOM_ON
float unpackDepth(vec4 rgba) {
    return dot(rgba, vec4(1.0 / (256.0 * 256.0 * 256.0), 1.0 / (256.0 * 256.0), 1.0 / 256.0, 1.0));
}

float visibility(vec4 sc, float bias) {
    vec3 s = (sc.xyz / sc.w + 1.0) / 2.0;
    // gl_FragCoord is mediump, and the hash's sum runs to some 10^5, past
    // what half floats hold (drivers that compute mediump in 16 bits give
    // Inf, then NaN, and every sample misses): the sum is taken in highp.
    highp vec3 cell = floor(gl_FragCoord.xyz * 30.0);
    highp float rnd = fract(sin(dot(cell, vec3(53.1215, 21.1352, 9.1322))) * 2105.2354);
    float a = rnd * 6.283285;
    float c = cos(a);
    float sn = sin(a);
    // The kernel's turn and the filter's scale in one matrix: one product a
    // sample instead of a turn, then a scale.
    vec2 scale = u_shadowMapStep * u_PCFRadius;
    mat2 turn = mat2(c * scale.x, -sn * scale.y, sn * scale.x, c * scale.y);
    float edge = s.z - bias;
    vec2 kernel[9];
    kernel[0] = vec2(0.95581, -0.18159);
    kernel[1] = vec2(0.50147, -0.35807);
    kernel[2] = vec2(0.69607, 0.35559);
    kernel[3] = vec2(-0.0036825, -0.59150);
    kernel[4] = vec2(0.15930, 0.089750);
    kernel[5] = vec2(-0.65031, 0.058189);
    kernel[6] = vec2(0.11915, 0.78449);
    kernel[7] = vec2(-0.34296, 0.51575);
    kernel[8] = vec2(-0.60380, -0.41527);
    float v = 1.0;
    for (int i = 0; i < 9; ++i) {
        float d = unpackDepth(texture2D(u_shadowMap, s.xy + turn * kernel[i]));
        if (d < edge) {
            v -= 0.1;
        }
    }
    return v;
}
#endif

void main() {
    vec4 w = texture2D(u_wallpaper, v_tex);
    vec4 h = texture2D(u_wallpaperHeight, v_tex);

    vec3 q = v_position;
    q.z += (h.r * 2.0 - 1.0) * u_zHeight;
    vec4 e = u_modelView * vec4(q, 1.0);

    vec3 lv = u_lightPos.xyz - e.xyz;
    vec3 vv = u_eye.xyz - e.xyz;
    vec4 sc = u_modelLightViewProjMatrix * vec4(-vv, 1.0);

    int slot = int((w.a + 0.125) * 4.0);
    Material m = u_material[0];
    if (slot == 1) {
        m = u_material[1];
    } else if (slot == 2) {
        m = u_material[2];
    } else if (slot >= 3) {
        m = u_material[3];
    }

    vec3 n = normalize(u_normalMatrix * normalize(w.rgb * 2.0 - 1.0));
    vec3 l = normalize(lv);
    vec3 vn = normalize(vv);
    vec3 hh = normalize(l + vn);
    float nDotL = dot(l, n);
    float nDotH = clamp(dot(hh, n), 0.0, 1.0);
    float spec = pow(nDotH, m.shininess);
    vec3 colour = u_Kd * m.diffuse * nDotL + u_Ks * m.specular * spec * nDotH;

    float f = 1.0;
#ifdef SHADOW_ROOM_ON
    // tan(acos(x)) without the two transcendentals: sin over cos.
    float bias = clamp(-0.005 * sqrt(max(1.0 - nDotL * nDotL, 0.0)) / nDotL, -0.005, 0.005);
    if (sc.w > 0.0) {
        f = 0.7 + 0.3 * visibility(sc, bias);
    }
#endif
    gl_FragColor = vec4(colour * f, 1.0);
}
