// The window is opaque: the frame's alpha (0 where nothing was drawn) must
// not reach it.
uniform sampler2D u_screen;
varying vec2 v_texCoord;

void main() {
    gl_FragColor = vec4(texture2D(u_screen, v_texCoord).rgb, 1.0);
}
