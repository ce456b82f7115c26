// The caption's own colours; the quad's opacity scales only its alpha.
uniform highpsampler2D u_captionTex;
uniform float u_alpha;
varying vec2 v_tex;

void main() {
    vec4 colour = texture2D(u_captionTex, v_tex);
    gl_FragColor = vec4(colour.rgb, u_alpha * colour.a);
}
