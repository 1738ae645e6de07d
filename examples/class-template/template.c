#include <stdio.h>

#define MAX 100

/* 老师提供：读入成绩，以 -1 结束，返回人数 */
int read_scores(int scores[], int max)
{
    int n = 0, x;
    while (n < max && scanf("%d", &x) == 1 && x != -1) {
        scores[n] = x;
        n = n + 1;
    }
    return n;
}

int main()
{
    int scores[MAX];
    int n = read_scores(scores, MAX);
    /* 在这里完成统计：人数、平均分、最高分、最低分、及格人数、各等级人数 */
    return 0;
}
