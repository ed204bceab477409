// The test objects of app_connection_tests, run one after the other by its main.
#pragma once

int RunConnectionControlTests(int argc, char** argv);
int RunNetworkManagerServiceTests(int argc, char** argv);
