// Stand-in for the scene until it lands: draws nothing.
void GameRender() {}
