// The label's texture is a relief: its colour, weighted by its alpha, bends
// the front normal, so the icon reads as embossed in the tile's metal. The
// frame, sides and back sample the corner texel, whose alpha is 0: flat.
uniform mat4 u_modelViewMatrix;
uniform mat3 u_normalMatrix;
uniform highpvec3 u_diffuse;
uniform highpvec3 u_specular;
uniform highpfloat u_shininess;
uniform highpfloat u_alpha;
uniform highpvec3 u_lightPos; // unit length
uniform highpvec3 u_eye;
uniform sampler2D u_uitex;

varying highpvec3 v_position;
varying highpvec3 v_normal;
varying highpvec2 v_tex;

void main() {
    highpvec4 p = u_modelViewMatrix * vec4(v_position, 1.0);
    highpvec3 view = normalize(u_eye - p.xyz / p.w);
    highpvec4 q = texture2D(u_uitex, v_tex);
    highpvec3 relief = q.a * (q.rgb * 2.0 - 1.0);
    highpvec3 n = u_normalMatrix * normalize(v_normal + relief);
    highpvec3 h = normalize(u_lightPos + view);
    highpfloat e = clamp(dot(n, h), 0.0, 1.0);
    highpvec3 colour = u_diffuse * e + u_specular * pow(e, u_shininess) * e;
    gl_FragColor = vec4(colour, u_alpha);
}
