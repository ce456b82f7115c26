// Cook-Torrance metal: Beckmann distribution, geometric attenuation and a
// Schlick Fresnel term from the metal's reflectance at normal incidence
// (u_F). The terms that divide by a cosine are taken only where that cosine
// is safely positive, so grazing and back-facing fragments stay finite.
struct Metal {
    highpvec3 ambient;
    highpvec3 diffuse;
    highpvec3 specular;
    highpfloat u_F;
};

uniform Metal u_material;

varying highpvec3 v_normal;
varying highpvec3 v_lightVec;
varying highpvec3 v_viewVec;

const highpfloat kPi = 3.14159265;
const highpfloat kRoughness = 0.2;
const highpfloat kTiny = 1.0e-4;

highpvec3 safeNormalize(highpvec3 v, highpvec3 fallback) {
    highpfloat length2 = dot(v, v);
    return length2 > 1.0e-12 ? v * inversesqrt(length2) : fallback;
}

void main() {
    highpvec3 n = safeNormalize(v_normal, vec3(0.0, 0.0, 1.0));
    highpvec3 l = safeNormalize(v_lightVec, n);
    highpvec3 v = safeNormalize(v_viewVec, n);
    highpvec3 h = safeNormalize(l + v, n);
    highpfloat nDotH = dot(n, h);
    highpfloat vDotH = dot(v, h);
    highpfloat nDotV = dot(n, v);
    highpfloat nDotL = dot(n, l);
    highpfloat ivDotH = dot(-v, h);

    highpfloat cs = 0.0;
    if (nDotL > 0.0 && nDotV > 0.0) {
        highpfloat r2 = kRoughness * kRoughness;
        highpfloat nh = max(nDotH, kTiny);
        highpfloat nh2 = nh * nh;
        highpfloat d = exp(-(1.0 - nh2) / (r2 * nh2)) / (kPi * r2 * nh2 * nh2);
        highpfloat f = u_material.u_F + (1.0 - u_material.u_F) * pow(clamp(abs(1.0 - ivDotH), 0.0, 1.0), 5.0);
        highpfloat vh = max(vDotH, kTiny);
        highpfloat g = min(1.0, min(2.0 * nh * nDotV / vh, 2.0 * nh * nDotL / vh));
        cs = d * g * f / (4.0 * nDotL * nDotV);
    }

    // A light of 6 pi per channel at unit distance: 1.5 per channel.
    highpvec3 beta = vec3(6.0 * kPi) / (4.0 * kPi * dot(l, l));
    highpvec3 colour = u_material.ambient * beta + max(nDotL, 0.0) * (1.0 - cs) * u_material.diffuse * beta +
                       max(cs, 0.0) * u_material.specular;
    gl_FragColor = vec4(colour, 1.0);
}
